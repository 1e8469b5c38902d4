#pragma once
// One program per program folder. The first start listens on a local socket named after its
// program folder and its user; a later start (the find hot key, "Import to Jotterbase", a second
// start from the shell) hands its command line to the running one and ends, so that no second
// window opens on the same data set.
//
// The socket lives in a folder only the user can enter, and each end checks that the other runs
// as the same user before anything is sent or taken.
//
// On the wire a command line is the sender's working folder (a relative file name is relative to
// it), a 32-bit big-endian word count, then the words; each text is a 32-bit big-endian byte
// length and its UTF-8 bytes. The running program answers "OK\n" once it has the whole command
// line, before it runs it.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace jb::workspace {
class TMainForm;
}

namespace jb::app {

// A command line from a later start: the words after the program name and where it was given.
struct HandedOver {
    QStringList words;
    QString workingFolder;
    bool operator==(const HandedOver&) const = default;
};

// "jotterbase-<user id>-<hash of the canonical program folder>", in a folder only the user can
// enter: $XDG_RUNTIME_DIR when it is the user's alone, else "jotterbase-<user id>" in the
// temporary folder (made by Start, with no access for others).
QString InstanceName(const QString& programFolder);

class SingleInstance {
public:
    explicit SingleInstance(QString name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Finds the running program of this name, or becomes it. True: this is the first and listens
    // (a socket file left by one that ended without closing it is taken over); false: another
    // runs, and Send hands the command line over to it.
    //
    // Both ends deal only with a program of the same user. When the socket's folder is not the
    // user's alone (another user could enter it), or the program there runs as another user,
    // Start is true without listening: this start runs on its own and hands nothing over.
    bool Start();
    bool Listening() const;
    const QString& Name() const { return name_; }

    // A later start: hands the words over and waits for the answer. False when the running
    // program cannot be reached or does not answer within `timeoutMs`.
    bool Send(const QStringList& words, int timeoutMs = 10000);
    bool Send(const HandedOver& commandLine, int timeoutMs = 10000);

    // The first start: every command line that arrives goes to `receiver`, in order of arrival,
    // one at a time (one that arrives while another runs waits for it). Those that arrived
    // before the receiver was set are given to it now.
    void SetReceiver(std::function<void(const HandedOver&)> receiver);
    // Command lines received and not yet given to a receiver.
    std::size_t Pending() const { return pending_.size(); }

private:
    void Accept();
    void ReadFrom(QLocalSocket* socket);
    void Deliver();

    QString name_;
    QLocalServer* server_ = nullptr;
    std::unique_ptr<QLocalSocket> client_;
    std::deque<HandedOver> pending_;
    std::function<void(const HandedOver&)> receiver_;
    bool delivering_ = false;
};

// What the window does with a command line handed over by a later start: "/FIND" opens the
// search dialog; other words name a file to import ("The filename you specified does not exist."
// when there is none); no words, nothing. The window is not brought to the front.
// A relative file name is taken from the sender's working folder.
void RunHandedOver(workspace::TMainForm& window, const HandedOver& commandLine);

}  // namespace jb::app
