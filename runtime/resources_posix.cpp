// Resources of a Linux executable: a table that the build generates from the files that the
// executable carries.
#include "runtime/resources_posix.h"

#include "runtime/error.h"
#include "runtime/resources.h"

namespace runtime {

std::span<const unsigned char> LoadResourceData(int id, const std::string& typeName) {
    for (std::size_t i = 0; i < embedded::kResourceCount; ++i) {
        const auto& r = embedded::kResources[i];
        if (r.id == id && typeName == r.type) return {r.data, r.size};
    }
    throw Error(kResourceNotFound,
                "The program carries no resource " + std::to_string(id) + " of type " + Quoted(typeName));
}

}  // namespace runtime
