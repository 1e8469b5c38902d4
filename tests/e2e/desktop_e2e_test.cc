// The real jotterbase program under a virtual X display: type a page, update it with Ctrl+S,
// close the window, start again and find the page on disk and on the screen.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

std::string ProgramDir() {
    const char* dir = std::getenv("JB_PROGRAM_DIR");
    return dir ? dir : JB_PROGRAM_DIR_DEFAULT;
}

bool OnPath(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Runs a shell command; returns its standard output.
std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

class VirtualDisplay {
public:
    // Xvfb picks a free display itself (-displayfd) and writes its number once it is ready, so
    // two tests starting displays at the same moment never share one.
    explicit VirtualDisplay(const std::string& screen = "1024x768x24") {
        const std::string number = folder_.File("display");
        pid_ = Capture("Xvfb -displayfd 3 -screen 0 " + screen + " -nolisten tcp 3>'" + number +
                       "' >/dev/null 2>&1 & echo $!");
        while (!pid_.empty() && pid_.back() == '\n') pid_.pop_back();
        for (int i = 0; i < 100 && display_.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const std::string written = ReadFileBytes(number);
            if (!written.empty() && written.back() == '\n') display_ = ":" + written.substr(0, written.size() - 1);
        }
        if (!Ready()) {
            Stop();
            pid_.clear();
        }
    }
    ~VirtualDisplay() { Stop(); }
    bool Ready() const { return !pid_.empty() && !display_.empty() && std::system(("xdpyinfo -display " + display_ + " >/dev/null 2>&1").c_str()) == 0; }
    const std::string& Display() const { return display_; }

private:
    void Stop() {
        if (!pid_.empty()) std::system(("kill " + pid_ + " 2>/dev/null").c_str());
    }
    TempDir folder_;
    std::string display_;
    std::string pid_;
};

// One run of the program in `folder`; `script` is what xdotool does once the window is there.
void RunProgram(const VirtualDisplay& x, const std::string& folder, const std::string& script,
                std::string* title = nullptr) {
    const std::string env = "export DISPLAY=" + x.Display() + " QT_QPA_PLATFORM=xcb; ";
    const std::string pid = Capture(env + "'" + folder + "jotterbase' >'" + folder + "run.log' 2>&1 & echo $!");
    std::string window;
    for (int i = 0; i < 100 && window.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        window = Capture(env + "xdotool search --onlyvisible --name 'Quorvane Jotterbase' 2>/dev/null | head -1");
    }
    ASSERT_FALSE(window.empty()) << "the window did not appear";
    while (!window.empty() && window.back() == '\n') window.pop_back();
    Capture(env + "xdotool windowfocus --sync " + window + " 2>/dev/null; sleep 0.3");
    if (title) *title = Capture(env + "xdotool getwindowname " + window);
    Capture(env + script);
    // Close as the window manager would; the program then runs its closing steps.
    Capture(env + "xdotool key --window " + window + " --clearmodifiers alt+f; sleep 0.3; xdotool key x");
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Gone, or a zombie nobody reaps (the shell that started it has ended).
        const std::string state = Capture("ps -o stat= -p " + pid + " 2>/dev/null");
        ended = state.empty() || state[0] == 'Z';
    }
    if (!ended) std::system(("kill " + pid + " 2>/dev/null").c_str());
    ASSERT_TRUE(ended) << "the program did not close: " << ReadFileBytes(folder + "run.log");
}

TEST(DesktopEndToEnd, TypeUpdateCloseAndFindThePageAgain) {
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xdpyinfo")) GTEST_SKIP() << "Xvfb, xdpyinfo or xdotool missing";
    const std::string program = ProgramDir() + "/jotterbase";
    ASSERT_TRUE(fs::exists(program)) << program;
    VirtualDisplay x;
    if (!x.Ready()) GTEST_SKIP() << "no virtual display could be started";

    TempDir folder;
    fs::copy_file(program, folder.File("jotterbase"));
    WriteFileBytes(folder.File("JotBase.ini"), "[Remind]\r\nOnNoDateAlready=2\r\n");

    RunProgram(x, folder.Path(), "xdotool type --delay 20 'Hello from xdotool'; sleep 0.3; xdotool key ctrl+s; sleep 0.5");
    PageStore store;
    const std::string dataSet = folder.File("data.jb");
    ASSERT_EQ(1, store.PageCount(dataSet)) << ReadFileBytes(folder.File("run.log"));
    PageInfo info;
    std::string body;
    ASSERT_EQ(0u, store.ReadPageBody(dataSet, 0, info, body));
    EXPECT_EQ("Hello from xdotool", richtext::PlainTextOf(body));
    EXPECT_EQ(8u, info.id.size());
    EXPECT_EQ(0.0, info.reminder);
    EXPECT_NE(std::string::npos, ReadFileBytes(folder.File("data.idx")).find("hello=" + info.id + "\r\n"));

    // The second start opens the data set with its page; closing unchanged asks nothing.
    std::string title;
    RunProgram(x, folder.Path(), "sleep 0.3", &title);
    EXPECT_EQ("Quorvane Jotterbase - data.jb (1 pages)\n", title);
    EXPECT_EQ(1, store.PageCount(dataSet));
    EXPECT_NE(std::string::npos, ReadFileBytes(folder.File("JotBase.ini")).find("PageNum=0"));
}

// Runs a script of tests/e2e that listens to the real program (copied into a fresh folder with
// the files named in `files` from the program folder) through the accessibility bus, on a
// virtual display of its own. Skips the test where a tool is missing; gives the script's exit
// code and its output.
struct ScriptRun {
    int code = -1;
    std::string out;
};
ScriptRun RunAccessibilityScript(const std::string& script, const std::vector<std::string>& files,
                                 const std::string& extraArgument = {}) {
    ScriptRun run;
    for (const char* tool : {"Xvfb", "xdotool", "xdpyinfo", "dbus-run-session", "import"})
        if (!OnPath(tool)) {
            run.code = 77;
            run.out = std::string(tool) + " missing";
            return run;
        }
    const std::string program = ProgramDir() + "/jotterbase";
    EXPECT_TRUE(fs::exists(program)) << program;
    VirtualDisplay x("1280x1024x24");
    if (!x.Ready()) {
        run.code = 77;
        run.out = "no virtual display could be started";
        return run;
    }
    TempDir folder;
    fs::copy_file(program, folder.File("jotterbase"));
    for (const std::string& f : files) fs::copy_file(ProgramDir() + "/" + f, folder.File(f));
    const std::string command = "DISPLAY=" + x.Display() +
                                " QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 dbus-run-session -- "
                                "/usr/bin/python3 '" JB_SOURCE_DIR "/tests/e2e/" +
                                script + "' '" + folder.File("jotterbase") + "'" +
                                (extraArgument.empty() ? "" : " '" + extraArgument + "'") + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) run.out += buffer;
    const int status = pclose(p);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The real window at its first size and at 1280 x 800, looked at through the accessibility bus:
// every toolbar control on show, none behind an overflow button, and every status panel inside
// the status bar. The screenshots stay in the build folder (Testing/screenshots).
TEST(DesktopEndToEnd, EveryToolbarControlIsOnShowInTheRealWindow) {
    fs::create_directories(JB_SCREENSHOT_DIR);
    const ScriptRun run = RunAccessibilityScript("window_look.py", {}, JB_SCREENSHOT_DIR "/window");
    if (run.code == 77) GTEST_SKIP() << run.out;
    EXPECT_EQ(0, run.code) << run.out;
    EXPECT_TRUE(fs::exists(std::string(JB_SCREENSHOT_DIR) + "/window-first.png"));
}

// A screen reader's view of the real program: every control that takes the focus, in the
// window and in each dialog opened by its keys, has a name.
TEST(DesktopEndToEnd, EveryControlOfTheRealProgramHasAName) {
    const ScriptRun run = RunAccessibilityScript("accessible_names.py", {"British English.Lexicon", "normal.tp"});
    if (run.code == 77) GTEST_SKIP() << run.out;
    EXPECT_EQ(0, run.code) << run.out;
}

}  // namespace
}  // namespace jb::test
