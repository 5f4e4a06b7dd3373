// A helper program run by the program: started by its full path with an argument array (never
// through a shell), fed on its standard input as the caller reads its data, its standard output
// kept up to a bound, its errors thrown away, and ended at a deadline whatever it does.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace runtime {

class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;

    // Throws runtime::Error when it cannot be started. Its output beyond `outputLimit` bytes is
    // read and dropped; at `deadline` it is ended.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments, std::size_t outputLimit,
                 Clock::time_point deadline);
    // Ends it if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False once it takes no more (it ended, or closed its input); may block while it is busy,
    // until the deadline at most.
    bool Write(std::span<const unsigned char> bytes);
    // Closes its input and waits for it to end, until `deadline` (which replaces the first): its
    // output, or nothing when it was ended for its time.
    std::optional<std::string> Finish(Clock::time_point deadline);

    struct Platform;  // the platform's half (process_posix.cpp, process_win32.cpp)
    struct State;

private:
    std::shared_ptr<State> state_;
};

// A folder of this program's own, empty, made for as long as the object lives.
class PrivateFolder {
public:
    PrivateFolder();  // throws runtime::Error
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace runtime
