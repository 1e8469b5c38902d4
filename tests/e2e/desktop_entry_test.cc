// The desktop entry that ./run.sh installs: the application menu starts the installed program,
// whatever characters its folder holds, the values are encoded as the options dialog encodes its
// own entries, and a tool of the freedesktop project accepts the file.

#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/desktop_links.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) { return std::system(command.c_str()); }
bool HaveTool(const std::string& name) { return Shell("command -v " + name + " >/dev/null 2>&1") == 0; }

// Runs the script for `folder` (handed over in the environment, as any bytes can be) with its
// data folder in `data`; its exit code.
int Install(const TempDir& data, const std::string& folder) {
    const std::string script = std::string(JB_SOURCE_DIR) + "/scripts/install-desktop-entry.sh";
    ::setenv("JB_FOLDER", folder.c_str(), 1);
    return Shell("XDG_DATA_HOME='" + data.Path() + "' '" + script + "' \"$JB_FOLDER\" >/dev/null 2>&1");
}

// The value of `key` as written in the entry, or "(none)".
std::string Written(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "(none)";
    const std::size_t from = at + key.size() + 2;
    return text.substr(from, text.find('\n', from) - from);
}

TEST(DesktopEntry, StartsTheInstalledProgramAndPassesTheValidator) {
    TempDir data;
    TempDir programs;
    const std::string folder = programs.File("my notes 100% $HOME \"x\"");
    fs::create_directories(folder);
    ASSERT_EQ(0, Install(data, folder));

    const std::string entry = data.File("applications/jotterbase.desktop");
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(data.File("icons/hicolor/scalable/apps/jotterbase.svg")));
    const std::string text = ReadFileBytes(entry);
    // In double quotes '$' and '"' take a backslash, which the value's own escaping doubles.
    const std::string exec = "Exec=\"" + programs.Path() + "my notes 100%% \\\\$HOME \\\\\"x\\\\\"/jotterbase\"\n";
    EXPECT_NE(std::string::npos, text.find(exec)) << text;
    EXPECT_NE(std::string::npos, text.find("Icon=jotterbase\n"));
    if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    EXPECT_EQ(0, Shell("desktop-file-validate '" + entry + "'"));
}

// Folder names that would break the entry's lines or quoting: the entry names exactly the
// folder, as the options dialog's own entries would, and launching it starts the program there
// and nothing else. (A '%' is left to the test above: GLib looks for the program of a launched
// entry under its name with the '%' still doubled, and so never launches one.)
TEST(DesktopEntry, AnyFolderNameIsEscapedAndLaunchesOnlyTheProgram) {
    TempDir data;
    TempDir programs;
    const std::string pwned = programs.File("PWNED");
    const std::string names[] = {
        "J\nExec=sh -c 'touch " + pwned + "'\nX-A=",
        "back\\slash \\$HOME `touch " + pwned + "`",
        " leading space\ttab\rreturn",
        "$(touch " + pwned + ") \"quoted\"",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string folder = programs.File(name);
        fs::create_directories(folder);
        // Where an injected Path would point, so that only the escaping stops an injection.
        fs::create_directories(programs.File(name.substr(0, name.find('\n'))));
        const std::string started = programs.File("started");
        WriteFileBytes(folder + "/jotterbase", "#!/bin/sh\ntouch '" + started + "'\n");
        fs::permissions(folder + "/jotterbase", fs::perms::owner_all);
        fs::remove(started);
        ASSERT_EQ(0, Install(data, folder));

        const std::string entry = data.File("applications/jotterbase.desktop");
        const std::string text = ReadFileBytes(entry);
        const QString qFolder = QString::fromStdString(folder);
        EXPECT_EQ(settings_ui::ExecProgram(qFolder + "/jotterbase").toStdString(), Written(text, "Exec"));
        EXPECT_EQ(settings_ui::EscapedValue(qFolder).toStdString(), Written(text, "Path"));
        if (HaveTool("desktop-file-validate")) {
            EXPECT_EQ(0, Shell("desktop-file-validate '" + entry + "' >/dev/null"));
        }
        if (!HaveTool("gio")) continue;
        EXPECT_EQ(0, Shell("timeout 20 gio launch '" + entry + "' 2>/dev/null"));
        for (int i = 0; i < 100 && !fs::exists(started); ++i) Shell("sleep 0.1");
        EXPECT_TRUE(fs::exists(started)) << "the program in the folder was not started";
        EXPECT_FALSE(fs::exists(pwned)) << "the folder's name ran a command";
    }
}

// A folder a desktop entry cannot name is refused, and no entry is written.
TEST(DesktopEntry, AFolderNameThatCannotBeWrittenIsRefused) {
    for (const std::string name : {"not\xff" "utf8", "control\x01" "character"}) {
        TempDir data;
        TempDir programs;
        fs::create_directories(programs.File(name));
        EXPECT_NE(0, Install(data, programs.File(name)));
        EXPECT_FALSE(fs::exists(data.File("applications/jotterbase.desktop")));
    }
}

}  // namespace
}  // namespace jb::test
