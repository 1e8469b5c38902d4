// The desktop program: the application, its seams and the main window.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/single_instance.h"

#include "editor/theme_icons.h"
#include "settings/program_folder.h"
#include "store/clock.h"
#include "workspace/main_form.h"
#include "workspace/qt_dialogs.h"
#include "workspace/system_desktop.h"

namespace {

// The last line of defence: whatever a handler lets through is shown, never passed on into
// the event loop.
class JotterbaseApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, "Jotterbase", QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, "Jotterbase", "An unexpected error occurred.");
        }
        return false;
    }
};

constexpr const char* kUsage =
    "usage: jotterbase [--folder DIR] [FILE | /FIND]\n"
    "Starts Jotterbase on the active data set of its program folder.\n"
    "  FILE          import the file as new pages (text, rich text, HTML or Markdown)\n"
    "  /FIND         open the search dialog\n"
    "  --folder DIR  use DIR as the program folder (settings, data sets, templates); made with\n"
    "                the default files when it is missing. The environment variable\n"
    "                JOTTERBASE_FOLDER does the same. Without either the program folder is\n"
    "                ~/Jotterbase; a copy that ./run.sh installed uses its own folder.\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "A start while Jotterbase runs on the same folder hands FILE or /FIND to the running window.\n";

// Answers --help and --version, and takes --folder out of the arguments into the environment,
// where the programs the window starts find it too. Returns an exit code when the program is
// to end here.
std::optional<int> TakeProgramOptions(std::vector<std::string>& words) {
    for (const std::string& w : words) {
        if (w == "--help" || w == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (w == "--version") {
            std::printf("jotterbase %s\n", JB_VERSION);
            return 0;
        }
    }
    try {
        if (const std::string folder = jb::TakeFolderOption(words); !folder.empty())
            ::setenv(jb::kFolderVariable, folder.c_str(), 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jotterbase: %s\n%s", e.what(), kUsage);
        return 2;
    }
    return std::nullopt;
}

// The program folder of this start, made with the default files on the first one.
std::optional<std::string> PreparedProgramFolder() {
    try {
        const std::string folder = jb::ProgramFolder();
        jb::PrepareProgramFolder(folder, jb::InstallationOf(jb::ExecutableFolder()));
        return folder;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jotterbase: %s\n", e.what());
        return std::nullopt;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (const std::optional<int> exitCode = TakeProgramOptions(words)) return *exitCode;
    const std::optional<std::string> programFolder = PreparedProgramFolder();
    if (!programFolder) return 1;

    // The application gets the arguments without --folder; both live as long as it does.
    std::vector<char*> arguments = {argv[0]};
    for (std::string& w : words) arguments.push_back(w.data());
    arguments.push_back(nullptr);
    int count = static_cast<int>(arguments.size()) - 1;
    JotterbaseApplication app(count, arguments.data());
    QApplication::setApplicationName("Jotterbase");
    // The icon the desktop entry names, or the text editor icon it is made from.
    QGuiApplication::setDesktopFileName("jotterbase");
    jb::editor::InstallFallbackIcons();
    QApplication::setWindowIcon(QIcon::fromTheme("jotterbase", QIcon::fromTheme("accessories-text-editor")));

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();

    // One program per program folder: a later start hands its command line to the running one.
    const QString folder = QString::fromStdString(*programFolder);
    jb::app::SingleInstance instance(jb::app::InstanceName(folder));
    if (!instance.Start()) {
        if (instance.Send(parameters)) return 0;
        std::fprintf(stderr, "Jotterbase is already running in %s and does not answer.\n", qPrintable(folder));
        return 1;
    }

    jb::ui::QtDialogs dialogs;
    jb::ui::SystemDesktop desktop;
    jb::workspace::TMainForm mainForm(
        {dialogs, jb::Clock::System(), desktop, *programFolder, jb::InstallationOf(jb::ExecutableFolder())});
    dialogs.CreateForms(&mainForm);

    if (!mainForm.FormShow(parameters)) return 1;
    // What later starts sent while the window was starting waited until now.
    instance.SetReceiver([&mainForm](const jb::app::HandedOver& commandLine) {
        jb::app::RunHandedOver(mainForm, commandLine);
    });
    return QApplication::exec();
}
