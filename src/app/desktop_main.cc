// The desktop program: the application, its seams and the main window.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>

#include "app/single_instance.h"

#include "editor/theme_icons.h"
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

}  // namespace

int main(int argc, char** argv) {
    JotterbaseApplication app(argc, argv);
    QApplication::setApplicationName("Jotterbase");
    // The icon the desktop entry names, or the text editor icon it is made from.
    QGuiApplication::setDesktopFileName("jotterbase");
    jb::editor::InstallFallbackIcons();
    QApplication::setWindowIcon(QIcon::fromTheme("jotterbase", QIcon::fromTheme("accessories-text-editor")));

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();

    // One program per program folder: a later start hands its command line to the running one.
    jb::app::SingleInstance instance(jb::app::InstanceName(QApplication::applicationDirPath()));
    if (!instance.Start()) {
        if (instance.Send(parameters)) return 0;
        std::fprintf(stderr, "Jotterbase is already running in %s and does not answer.\n",
                     qPrintable(QApplication::applicationDirPath()));
        return 1;
    }

    jb::ui::QtDialogs dialogs;
    jb::ui::SystemDesktop desktop;
    const std::string programFolder = QApplication::applicationDirPath().toStdString() + "/";
    jb::workspace::TMainForm mainForm({dialogs, jb::Clock::System(), desktop, programFolder});
    dialogs.CreateForms(&mainForm);

    if (!mainForm.FormShow(parameters)) return 1;
    // What later starts sent while the window was starting waited until now.
    instance.SetReceiver([&mainForm](const jb::app::HandedOver& commandLine) {
        jb::app::RunHandedOver(mainForm, commandLine);
    });
    return QApplication::exec();
}
