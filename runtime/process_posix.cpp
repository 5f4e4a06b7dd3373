#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/error.h"
#include "runtime/process_platform.h"
#include "runtime/system_posix.h"
#include "runtime/text.h"

extern char** environ;

namespace runtime {

namespace {

class PosixChild final : public ChildProcess::Platform {
public:
    PosixChild(pid_t pid, UniqueFd input, UniqueFd output)
        : pid_(pid), input_(std::move(input)), output_(std::move(output)) {}

    bool Write(std::span<const unsigned char> bytes) override {
        // A socket, so that a program that stopped reading is EPIPE here, not SIGPIPE for us all.
        while (!bytes.empty()) {
            const ssize_t n = ::send(input_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        }
        return true;
    }
    void CloseInput() override { ::shutdown(input_.Get(), SHUT_WR); }
    std::size_t Read(char* buffer, std::size_t capacity) override {
        for (;;) {
            const ssize_t n = ::read(output_.Get(), buffer, capacity);
            if (n < 0 && errno == EINTR) continue;
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }
    void Kill() override { ::kill(pid_, SIGKILL); }
    void Wait() override {
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

private:
    pid_t pid_;
    UniqueFd input_, output_;
};

[[noreturn]] void ThrowStartError(const std::string& program, int err) {
    throw Error(err == ENOENT ? kFileNotFound : kPathFileAccessError,
                "Cannot start " + Quoted(program) + ": " + std::strerror(err));
}

}  // namespace

std::unique_ptr<ChildProcess::Platform> ChildProcess::Platform::Start(const std::string& program,
                                                                      const std::vector<std::string>& arguments) {
    int input[2], output[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) ThrowStartError(program, errno);
    UniqueFd ourInput(input[0]), theirInput(input[1]);
    if (::pipe2(output, O_CLOEXEC) != 0) ThrowStartError(program, errno);
    UniqueFd ourOutput(output[0]), theirOutput(output[1]);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    const ScopeGuard destroyActions([&actions] { ::posix_spawn_file_actions_destroy(&actions); });
    ::posix_spawn_file_actions_adddup2(&actions, theirInput.Get(), 0);
    ::posix_spawn_file_actions_adddup2(&actions, theirOutput.Get(), 1);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> strings = {program};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv(strings.size() + 1, nullptr);
    std::transform(strings.begin(), strings.end(), argv.begin(), [](std::string& s) { return s.data(); });
    pid_t pid = -1;
    // posix_spawn, not posix_spawnp: the program is named by its full path, never looked up.
    if (const int err = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ); err != 0) {
        ThrowStartError(program, err);
    }
    return std::make_unique<PosixChild>(pid, std::move(ourInput), std::move(ourOutput));
}

PrivateFolder::PrivateFolder() {
    const char* temp = std::getenv("TMPDIR");
    std::string path = std::string(temp != nullptr && *temp == '/' ? temp : "/tmp") + "/pellwick-XXXXXX";
    if (::mkdtemp(path.data()) == nullptr) {
        throw Error(kPathFileAccessError,
                    "Cannot make a folder in " + Quoted(path.substr(0, path.rfind('/'))) + ": " + std::strerror(errno));
    }
    path_ = path;
}

PrivateFolder::~PrivateFolder() {
    ::rmdir(path_.c_str());
}

}  // namespace runtime
