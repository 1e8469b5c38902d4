#include "workspace/system_desktop.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMediaDevices>
#include <QProcess>
#include <QShortcut>
#include <QSoundEffect>
#include <QUrl>

namespace jb::ui {

THelpForm::THelpForm(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("HelpForm");
    setWindowFlag(Qt::Window);
    setWindowTitle("Quorvane Jotterbase Help");
    setOpenExternalLinks(true);
    resize(560, 480);
    // A window of its own, so it closes as a dialog does.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void THelpForm::ShowContext(const QString& helpFile, int context) {
    if (!QFileInfo::exists(helpFile)) {
        setHtml(QString("<p>The help file %1 was not found.</p>")
                    .toHtmlEscaped()
                    .arg(helpFile.toHtmlEscaped()));
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

struct SystemDesktop::Player {
    QSoundEffect effect;
};

SystemDesktop::SystemDesktop() = default;
SystemDesktop::~SystemDesktop() = default;

void SystemDesktop::PlaySound(const QString& file) {
    if (!QFileInfo(file).isFile()) return;
    // Without an audio device there is nothing to hear (and nothing to open).
    if (QMediaDevices::defaultAudioOutput().isNull()) return;
    if (!player_) player_ = std::make_unique<Player>();
    // A wave file QSoundEffect cannot decode, or no audio device, leaves the effect in its
    // error state: the sound is simply not heard.
    player_->effect.stop();
    player_->effect.setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    player_->effect.play();
}

void SystemDesktop::RunCommandLine(const QString& commandLine) {
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty()) return;
    const QString program = parts.takeFirst();
    QProcess::startDetached(program, parts);
}

bool SystemDesktop::StartProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

void SystemDesktop::StartHidden(const QString& program, const QStringList& arguments) {
    QProcess::startDetached(program, arguments);
}

bool SystemDesktop::OpenUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

void SystemDesktop::AlertWindow(QWidget* window) { QApplication::alert(window); }

void SystemDesktop::ShowHelp(QWidget* parent, const QString& helpFile, int context) {
    // The help page opens in the user's browser; without one, in the program's own window.
    QUrl url = QUrl::fromLocalFile(helpFile);
    url.setFragment(QString("context-%1").arg(context));
    if (QFileInfo::exists(helpFile) && QDesktopServices::openUrl(url)) return;
    if (!help_) help_ = new THelpForm(parent);
    help_->ShowContext(helpFile, context);
}

}  // namespace jb::ui
