#pragma once
// Runs a built program of the project as another program would: arguments, its own settings folder,
// standard output and error captured, the exit code, and signals while it runs.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zr740::testing {

// The whole text of a file; empty when it cannot be read.
inline std::string file_text(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class ProgramRun {
public:
    // Starts `program` with the arguments; `folder` holds its settings ("config"), its state
    // ("state") and the captured output. With `closed_output` the standard output is a pipe whose
    // reader has gone, as when the program's output was piped into a command that ended.
    // `environment_extra` ("NAME=value") is added to the child's environment.
    ProgramRun(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
               bool closed_output = false, const std::vector<std::string>& environment_extra = {})
        : out_path_(folder + "/stdout.txt"), err_path_(folder + "/stderr.txt")
    {
        // Everything the child needs is made before the fork: other threads of the test may hold
        // the allocator's lock at that moment.
        std::vector<std::string> environment{"XDG_CONFIG_HOME=" + folder + "/config",
                                             "XDG_STATE_HOME=" + folder + "/state", "LANG=C.UTF-8"};
        if (const char* path = ::getenv("PATH"))
            environment.push_back(std::string("PATH=") + path);
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "ZR740_TRACE"})
            if (const char* value = ::getenv(name))
                environment.push_back(std::string(name) + "=" + value);
        environment.insert(environment.end(), environment_extra.begin(), environment_extra.end());
        std::vector<char*> envp;
        for (auto& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        int out = ::open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (closed_output) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) == 0) {
                ::close(ends[0]);
                ::close(out);
                out = ends[1];
            }
        }
        const int err = ::open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_ = fork();
        if (pid_ == 0) {
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execve(program.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out);
        ::close(err);
    }
    ~ProgramRun()
    {
        if (pid_ > 0 && !finished_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The exit code; -1 when it did not end within the limit (it is killed), -2 when killed by a signal.
    int wait(std::chrono::seconds limit = std::chrono::seconds(60))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                finished_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    void signal(int number) { ::kill(pid_, number); }
    // Waits until the standard output holds the text (or the limit passes).
    bool wait_for_output(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(20)) const
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (out().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    std::string out() const { return slurp(out_path_); }
    std::string err() const { return slurp(err_path_); }

private:
    static std::string slurp(const std::string& path) { return file_text(path); }

    std::string out_path_;
    std::string err_path_;
    pid_t pid_ = -1;
    bool finished_ = false;
};

} // namespace zr740::testing
