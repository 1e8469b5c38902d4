#pragma once
// Runs jotterbase-cli as a program, with day-first short dates (the C locale), and collects its
// exit code and output.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace jb::test {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

// `environment`: more "NAME=VALUE" settings for the run, separated by spaces.
inline CliRun Cli(const std::string& arguments, const std::string& input = "", const std::string& environment = "") {
    TempDir io;
    WriteFileBytes(io.File("in"), input);
    std::string command = "LC_ALL=C LC_TIME= LANG= " + environment + " " + std::string(JB_CLI_PATH) + " " + arguments + " <" +
                          io.File("in") + " >" + io.File("out") + " 2>" + io.File("err");
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(io.File("out")), ReadFileBytes(io.File("err"))};
}

}  // namespace jb::test
