// The platform's half of a ChildProcess: started, written, read, ended, waited for. Used by
// process.cpp alone.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "runtime/process.h"

namespace runtime {

struct ChildProcess::Platform {
    static std::unique_ptr<Platform> Start(const std::string& program, const std::vector<std::string>& arguments);
    virtual ~Platform() = default;
    virtual bool Write(std::span<const unsigned char> bytes) = 0;
    virtual void CloseInput() = 0;
    // Blocks for some output; 0 once there is none left.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
    virtual void Kill() = 0;
    virtual void Wait() = 0;
};

}  // namespace runtime
