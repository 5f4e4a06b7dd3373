#pragma once

#include <cstddef>

namespace runtime::embedded {

struct Resource {
    int id;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// Defined by the source that the build generates for each executable.
extern const Resource kResources[];
extern const std::size_t kResourceCount;

}  // namespace runtime::embedded
