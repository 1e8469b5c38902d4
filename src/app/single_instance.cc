#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaObject>
#include <QtEndian>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "workspace/dialogs.h"
#include "workspace/main_form.h"
#include "workspace/workspace_text.h"

namespace jb::app {

namespace {

constexpr quint32 kMaxWords = 4096;
constexpr quint32 kMaxText = 64 * 1024;
constexpr char kAnswer[] = "OK\n";

void AppendText(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(utf8.size()), length);
    out.append(length, 4);
    out.append(utf8);
}

QByteArray Encode(const HandedOver& commandLine) {
    QByteArray out;
    AppendText(out, commandLine.workingFolder);
    char count[4];
    qToBigEndian<quint32>(static_cast<quint32>(commandLine.words.size()), count);
    out.append(count, 4);
    for (const QString& word : commandLine.words) AppendText(out, word);
    return out;
}

enum class Parsed { kComplete, kIncomplete, kBad };

// Reads one command line from the front of `bytes`.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    Parsed Read(HandedOver& out) {
        Parsed p = Text(out.workingFolder);
        if (p != Parsed::kComplete) return p;
        quint32 count = 0;
        if ((p = Number(count)) != Parsed::kComplete) return p;
        if (count > kMaxWords) return Parsed::kBad;
        for (quint32 i = 0; i < count; ++i) {
            QString word;
            if ((p = Text(word)) != Parsed::kComplete) return p;
            out.words << word;
        }
        return Parsed::kComplete;
    }

private:
    Parsed Number(quint32& n) {
        if (bytes_.size() - at_ < 4) return Parsed::kIncomplete;
        n = qFromBigEndian<quint32>(bytes_.constData() + at_);
        at_ += 4;
        return Parsed::kComplete;
    }
    Parsed Text(QString& text) {
        quint32 length = 0;
        const Parsed p = Number(length);
        if (p != Parsed::kComplete) return p;
        if (length > kMaxText) return Parsed::kBad;
        if (bytes_.size() - at_ < static_cast<qsizetype>(length)) return Parsed::kIncomplete;
        text = QString::fromUtf8(bytes_.constData() + at_, length);
        at_ += length;
        return Parsed::kComplete;
    }

    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

// Whether only this user can enter `folder`: a folder (not a link to one) of the user's own that
// nobody else may read, write or pass through. Anyone who could enter the socket's folder could
// put a socket of their own there first and be handed the user's files.
bool IsPrivateFolder(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Where the socket lives: the user's runtime folder, or a folder of the user's own in the
// temporary folder, made private when it is made.
QString SocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)) return QDir::cleanPath(runtime);
    return QDir::tempPath() + QStringLiteral("/jotterbase-%1").arg(::getuid());
}

// Whether the other end of a connected socket runs as this user. Checked before anything is
// sent or taken: a socket of another user's program must get nothing of ours.
bool PeerIsThisUser(QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

QString InstanceName(const QString& programFolder) {
    const QFileInfo info(programFolder);
    QString folder = info.canonicalFilePath();
    if (folder.isEmpty()) folder = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return SocketFolder() + QStringLiteral("/jotterbase-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (client_) client_->abort();
    delete server_;  // closing removes the socket file
}

bool SingleInstance::Start() {
    // Without a folder only this user can enter, there is no safe place to meet later starts:
    // this start neither hands over nor listens, and opens its own window.
    const QString folder = QFileInfo(name_).absolutePath();
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    if (!IsPrivateFolder(folder)) {
        qWarning("Jotterbase does not meet later starts in %s: the folder is not this user's alone", qPrintable(folder));
        return true;
    }
    // Two starts at the same moment decide one after the other. A lock left by a program that
    // died is taken over by QLockFile; should the lock not come, the start goes on without it.
    QLockFile lock(QFileInfo(name_).absoluteFilePath() + ".lock");
    lock.tryLock(5000);

    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(name_);
    if (socket->waitForConnected(2000)) {
        if (PeerIsThisUser(*socket)) {
            client_ = std::move(socket);
            return false;
        }
        // Another user's program at our socket: it is told nothing, and this start runs on its own.
        socket->abort();
        qWarning("Jotterbase found a program of another user at %s and opens its own window", qPrintable(name_));
        return true;
    }
    socket.reset();

    // Nobody answers: a socket file there is one that a program which ended without closing it
    // left behind.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer;
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        qWarning("Jotterbase cannot listen for later starts on %s: %s", qPrintable(name_),
                 qPrintable(server_->errorString()));
        return true;
    }
    QObject::connect(server_, &QLocalServer::newConnection, server_, [this] { Accept(); });
    return true;
}

bool SingleInstance::Listening() const { return server_ && server_->isListening(); }

bool SingleInstance::Send(const QStringList& words, int timeoutMs) {
    return Send(HandedOver{words, QDir::currentPath()}, timeoutMs);
}

bool SingleInstance::Send(const HandedOver& commandLine, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    if (!client_) {
        client_ = std::make_unique<QLocalSocket>();
        client_->connectToServer(name_);
        if (!client_->waitForConnected(static_cast<int>(deadline.remainingTime()))) return false;
        if (!PeerIsThisUser(*client_)) {
            client_->abort();
            return false;
        }
    }
    client_->write(Encode(commandLine));
    while (client_->bytesToWrite() > 0) {
        if (!client_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
    }
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!client_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
        answer += client_->readAll();
    }
    client_->disconnectFromServer();
    return answer == kAnswer;
}

void SingleInstance::SetReceiver(std::function<void(const HandedOver&)> receiver) {
    receiver_ = std::move(receiver);
    Deliver();
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!PeerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { ReadFrom(socket); });
        ReadFrom(socket);  // what came with the connection
    }
}

void SingleInstance::ReadFrom(QLocalSocket* socket) {
    QByteArray buffer = socket->property("jb_buffer").toByteArray() + socket->readAll();
    HandedOver commandLine;
    const Parsed parsed = Reader(buffer).Read(commandLine);
    if (parsed == Parsed::kIncomplete) {
        socket->setProperty("jb_buffer", buffer);
        return;
    }
    socket->setProperty("jb_buffer", QByteArray());
    if (parsed == Parsed::kBad) {
        socket->abort();
        return;
    }
    pending_.push_back(std::move(commandLine));
    socket->write(kAnswer);
    socket->flush();
    // Run from the event loop, not from inside the socket's signal: the command may run an event
    // loop of its own, in which this socket can go.
    QMetaObject::invokeMethod(server_, [this] { Deliver(); }, Qt::QueuedConnection);
}

void SingleInstance::Deliver() {
    if (!receiver_ || delivering_) return;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    };
    delivering_ = true;
    Guard guard{delivering_};
    while (!pending_.empty()) {
        const HandedOver next = std::move(pending_.front());
        pending_.pop_front();
        receiver_(next);
    }
}

void RunHandedOver(workspace::TMainForm& window, const HandedOver& commandLine) {
    window.RunGuarded([&] {
        const QStringList& words = commandLine.words;
        std::vector<std::string> args;
        for (const QString& w : words) args.push_back(w.toStdString());
        if (workspace::IsFindSwitch(args)) {
            if (window.hooks.openSearchDialog) window.hooks.openSearchDialog(window);
            return;
        }
        if (words.isEmpty()) return;
        QString file = words.join(' ');
        if (QFileInfo(file).isRelative() && !commandLine.workingFolder.isEmpty())
            file = QDir(commandLine.workingFolder).filePath(file);
        if (QFileInfo::exists(file)) {
            if (window.hooks.importFile) window.hooks.importFile(window, file);
        } else {
            ui::ShowError(window.dialogs, &window, "The filename you specified does not exist.");
        }
    });
}

}  // namespace jb::app
