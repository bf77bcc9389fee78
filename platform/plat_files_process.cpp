// plat_files_process.cpp: starting other programs through the shell.
//
// Children are started with posix_spawn so that a shell that cannot be
// started is reported to the caller instead of surfacing as an exit status.
#include "platform/plat_files.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

int wait_exit_code(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status); // the shell's convention for a killed command
    return -1;
}

bool spawn_shell(const std::string& script, const std::string& argument,
                 const posix_spawn_file_actions_t* actions, pid_t* pid) {
    std::string sh = "sh";
    std::string dash_c = "-c";
    std::string script_copy = script;
    std::string arg0 = "sh";
    std::string arg1 = argument;
    char* argv[] = {sh.data(),   dash_c.data(), script_copy.data(),
                    arg0.data(), arg1.data(),   nullptr};
    if (argument.empty()) argv[3] = nullptr;
    return ::posix_spawn(pid, "/bin/sh", actions, nullptr, argv, environ) == 0;
}

} // namespace

bool plat_run(const std::string& command_line, bool wait, int* exit_code) {
    pid_t pid = 0;
    if (wait) {
        if (!spawn_shell(command_line, std::string(), nullptr, &pid)) return false;
        const int code = wait_exit_code(pid);
        if (exit_code != nullptr) *exit_code = code;
        return true;
    }
    // Not waiting: an intermediate shell puts the command in the background
    // and ends at once, so the command is adopted by init and never lingers
    // as a zombie of ours.
    if (!spawn_shell("/bin/sh -c \"$1\" &", command_line, nullptr, &pid)) return false;
    (void)wait_exit_code(pid);
    return true;
}

bool plat_run_capture(const std::string& command_line, std::string* output, int* exit_code) {
    output->clear();
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    pid_t pid = 0;
    const bool started = spawn_shell(command_line, std::string(), &actions, &pid);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    if (started) {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::read(pipe_fds[0], chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            output->append(chunk, static_cast<std::size_t>(n));
        }
    }
    ::close(pipe_fds[0]);
    if (!started) return false;
    const int code = wait_exit_code(pid);
    if (exit_code != nullptr) *exit_code = code;
    return true;
}

std::string plat_which(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty entry means the current directory.
        std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(".");
        candidate.append("/").append(program);
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}
