#pragma once
// What the program asks of the machine besides files: sounds, other programs, web addresses,
// window alerts and the help window. Production passes SystemDesktop, tests a recorder.

#include <QString>
#include <QStringList>

class QWidget;

namespace jb::ui {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Plays a wave file without waiting; nothing happens when it cannot be played.
    virtual void PlaySound(const QString& file) = 0;
    // Runs a command line without waiting.
    virtual void RunCommandLine(const QString& commandLine) = 0;
    // Starts a program with its arguments, its window shown normally, without a shell and
    // without waiting. False when it could not be started.
    virtual bool StartProgram(const QString& program, const QStringList& arguments) = 0;
    // Starts a program hidden with its arguments, without waiting.
    virtual void StartHidden(const QString& program, const QStringList& arguments) = 0;
    // Opens a web address in the browser. False when no browser could be started.
    virtual bool OpenUrl(const QString& url) = 0;
    // Draws the user's attention to a window that is not active.
    virtual void AlertWindow(QWidget* window) = 0;
    // Shows the help document `helpFile` at a help context (10 contents, 30 the search dialog).
    virtual void ShowHelp(QWidget* parent, const QString& helpFile, int context) = 0;
};

}  // namespace jb::ui
