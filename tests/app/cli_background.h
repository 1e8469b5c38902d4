#pragma once
// A jotterbase-cli command run beside the test, so that the test can hold a data set while the
// command runs and see what the command does meanwhile. Whether it waits for the data set shows
// in its open files: a command that waits has the data set's lock file open.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/cli_run.h"
#include "support/temp_dir.h"

namespace jb::test {

class BackgroundCli {
public:
    // Starts `launcher` (empty, or a program such as setpriv that runs the next one in its place)
    // with jotterbase-cli and `arguments`, reading `input`.
    BackgroundCli(const std::string& arguments, const std::string& input = "", const std::string& launcher = "") {
        WriteFileBytes(io_.File("in"), input);
        const std::string command = "exec " + launcher + (launcher.empty() ? "" : " ") + JB_CLI_PATH + " " +
                                    arguments + " <" + io_.File("in") + " >" + io_.File("out") + " 2>" +
                                    io_.File("err");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~BackgroundCli() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    // Waits until the command has `path` open (true) or has ended (false). Until the process is
    // jotterbase-cli, the files it has open are the test's own (a fork's copies).
    bool WaitUntilOpen(const std::string& path) {
        const std::filesystem::path wanted = std::filesystem::weakly_canonical(path);
        const std::filesystem::path cli = std::filesystem::weakly_canonical(JB_CLI_PATH);
        const std::string proc = "/proc/" + std::to_string(pid_);
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return false;
            }
            std::error_code error;
            if (std::filesystem::read_symlink(proc + "/exe", error) != cli) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            for (const auto& fd : std::filesystem::directory_iterator(proc + "/fd", error)) {
                std::error_code unreadable;
                if (std::filesystem::read_symlink(fd.path(), unreadable) == wanted) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    // Waits for the end of the command.
    CliRun Finish() {
        if (!ended_) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
            ended_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return {exitCode_, ReadFileBytes(io_.File("out")), ReadFileBytes(io_.File("err"))};
    }

private:
    TempDir io_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int exitCode_ = -1;
};

}  // namespace jb::test
