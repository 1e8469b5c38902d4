// The desktop program: the application, its seams and the main window.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

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

    jb::ui::QtDialogs dialogs;
    jb::ui::SystemDesktop desktop;
    const std::string programFolder = QApplication::applicationDirPath().toStdString() + "/";
    jb::workspace::TMainForm mainForm({dialogs, jb::Clock::System(), desktop, programFolder});
    dialogs.CreateForms(&mainForm);

    QStringList parameters = QApplication::arguments();
    parameters.removeFirst();
    if (!mainForm.FormShow(parameters)) return 1;
    return QApplication::exec();
}
