#include "workspace/system_desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace jb::ui {

THelpForm::THelpForm(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("HelpForm");
    setWindowFlag(Qt::Window);
    setWindowTitle("Quorvane Jotterbase Help");
    setOpenExternalLinks(true);
    resize(560, 480);
}

void THelpForm::ShowContext(const QString& helpFile, int context) {
    if (!QFileInfo::exists(helpFile)) {
        setHtml(QString("<p>The help file %1 was not found.</p>").toHtmlEscaped().arg(helpFile.toHtmlEscaped()));
    } else {
        QUrl url = QUrl::fromLocalFile(helpFile);
        url.setFragment(QString("context-%1").arg(context));
        setSource(url);
        scrollToAnchor(url.fragment());
    }
    show();
    raise();
    activateWindow();
}

void SystemDesktop::PlaySound(const QString& file) {
    // No sound module is linked yet; a player that exists on the machine does it without waiting.
    if (QFileInfo::exists(file)) QProcess::startDetached("aplay", {"-q", file});
}

void SystemDesktop::RunCommandLine(const QString& commandLine) {
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty()) return;
    const QString program = parts.takeFirst();
    QProcess::startDetached(program, parts);
}

void SystemDesktop::StartProgram(const QString& program, const QStringList& arguments) {
    QProcess::startDetached(program, arguments);
}

void SystemDesktop::StartHidden(const QString& program) { QProcess::startDetached(program, {}); }

void SystemDesktop::OpenUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

void SystemDesktop::AlertWindow(QWidget* window) { QApplication::alert(window); }

void SystemDesktop::ShowHelp(QWidget* parent, const QString& helpFile, int context) {
    if (!help_) help_ = new THelpForm(parent);
    help_->ShowContext(helpFile, context);
}

}  // namespace jb::ui
