// --help and --version of every executable, run as programs.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace jb::test {
namespace {

struct Outcome {
    int exitCode;
    std::string out;
};

Outcome Start(const std::string& program, const std::string& arguments) {
    TempDir io;
    // A program that took the option for something else would start its work and not end.
    const std::string command = "QT_QPA_PLATFORM=offscreen timeout 30 '" + std::string(JB_PROGRAM_DIR_DEFAULT) + "/" +
                                program + "' " + arguments + " >" + io.File("out") + " 2>/dev/null </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(io.File("out"))};
}

TEST(ProgramOptions, EveryExecutableSaysItsVersionAndHowToUseIt) {
    for (const std::string program : {"jotterbase", "jotterbase-cli", "jotterbase-transfer", "IndexBld"}) {
        const Outcome version = Start(program, "--version");
        EXPECT_EQ(version.exitCode, 0) << program;
        EXPECT_EQ(version.out, program + " " + JB_VERSION + "\n");
        const Outcome help = Start(program, "--help");
        EXPECT_EQ(help.exitCode, 0) << program;
        EXPECT_EQ(help.out.rfind("usage: " + program + " ", 0), 0u) << help.out;
    }
}

TEST(ProgramOptions, TheWindowsHelpListsItsCommandLineForms) {
    const Outcome help = Start("jotterbase", "--help");
    for (const std::string form : {"FILE", "/FIND", "--folder DIR", "JOTTERBASE_FOLDER"})
        EXPECT_NE(help.out.find(form), std::string::npos) << form << " in\n" << help.out;
    // The CLI's overview names the program folder options too.
    const Outcome overview = Start("jotterbase-cli", "--help");
    for (const std::string form : {"--folder DIR", "JOTTERBASE_FOLDER", "--version"})
        EXPECT_NE(overview.out.find(form), std::string::npos) << form << " in\n" << overview.out;
}

}  // namespace
}  // namespace jb::test
