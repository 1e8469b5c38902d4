// The desktop entry that ./run.sh installs: the application menu starts the installed program,
// whatever characters its folder holds, and a tool of the freedesktop project accepts the file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) { return std::system(command.c_str()); }

TEST(DesktopEntry, StartsTheInstalledProgramAndPassesTheValidator) {
    TempDir data;
    TempDir programs;
    const std::string folder = programs.File("my notes 100% $HOME \"x\"");
    fs::create_directories(folder);
    const std::string script = std::string(JB_SOURCE_DIR) + "/scripts/install-desktop-entry.sh";
    ASSERT_EQ(0, Shell("XDG_DATA_HOME='" + data.Path() + "' '" + script + "' '" + folder + "' >/dev/null"));

    const std::string entry = data.File("applications/jotterbase.desktop");
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(data.File("icons/hicolor/scalable/apps/jotterbase.svg")));
    const std::string text = ReadFileBytes(entry);
    const std::string exec = "Exec=\"" + programs.Path() + "my notes 100%% \\$HOME \\\"x\\\"/jotterbase\"\n";
    EXPECT_NE(std::string::npos, text.find(exec)) << text;
    EXPECT_NE(std::string::npos, text.find("Icon=jotterbase\n"));
    if (Shell("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    EXPECT_EQ(0, Shell("desktop-file-validate '" + entry + "'"));
}

}  // namespace
}  // namespace jb::test
