#pragma once
// The production Desktop: sound, other programs, the browser, window alerts and the help window.

#include <QPointer>
#include <memory>
#include <QTextBrowser>

#include "workspace/desktop.h"

namespace jb::ui {

// The help window: the program's help document in a browser of its own. Each help context is
// an anchor "context-N" in the document.
class THelpForm : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);
    void ShowContext(const QString& helpFile, int context);
};

class SystemDesktop final : public Desktop {
public:
    SystemDesktop();
    ~SystemDesktop() override;
    // Plays a wave file through Qt Multimedia without waiting; silent when the file or the
    // audio device cannot be played.
    void PlaySound(const QString& file) override;
    void RunCommandLine(const QString& commandLine) override;
    bool StartProgram(const QString& program, const QStringList& arguments) override;
    void StartHidden(const QString& program, const QStringList& arguments) override;
    bool OpenUrl(const QString& url) override;
    void AlertWindow(QWidget* window) override;
    void ShowHelp(QWidget* parent, const QString& helpFile, int context) override;

private:
    QPointer<THelpForm> help_;
    struct Player;
    std::unique_ptr<Player> player_;  // made at the first sound
};

}  // namespace jb::ui
