// One program per program folder: the first start listens, later starts (threads of this test or
// processes of single_instance_helper) hand their command lines over and are told they are not
// first; the first gets them in order, one at a time, and keeps them until it is ready; a socket
// left by a killed first start is taken over; and the window runs what it is handed.

#include "app/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "store/clock.h"
#include "support/temp_dir.h"
#include "workspace/main_form.h"
#include "workspace/scripted_dialogs.h"

namespace jb::app {
void PrintTo(const HandedOver& h, std::ostream* os) {
    *os << "[" << h.words.join('|').toStdString() << "] in " << h.workingFolder.toStdString();
}
}  // namespace jb::app

namespace jb::test {
namespace {

using app::HandedOver;
using app::SingleInstance;

// Runs the event loop until `done` holds or `ms` pass; whether it holds.
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

struct SecondStart {
    bool first = true;
    bool sent = false;
};

// A later start in a thread of its own, while this thread serves the first start.
SecondStart StartAndSend(const QString& name, const HandedOver& commandLine) {
    std::atomic<bool> done{false};
    SecondStart result;
    std::thread later([&] {
        SingleInstance instance(name);
        result.first = instance.Start();
        if (!result.first) result.sent = instance.Send(commandLine, 5000);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    later.join();
    QCoreApplication::processEvents();  // the hand-over is given out from the event loop
    return result;
}

struct HelperRun {
    int exitCode = -1;
    QStringList lines;
};

HelperRun Helper(const QString& name, int count, const QStringList& words, bool serve = true) {
    QProcess p;
    p.start(JB_SINGLE_INSTANCE_HELPER, QStringList{name, QString::number(count)} + words);
    if (serve) PumpUntil([&] { return p.state() == QProcess::NotRunning; }, 30000);
    else p.waitForFinished(30000);
    HelperRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return run;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() { EnsureApplication(); }
    QString Name() const { return QString::fromStdString(dir.Path()) + "jb.sock"; }

    TempDir dir;
};

TEST_F(SingleInstanceTest, TheNameBelongsToTheProgramFolderAndTheUser) {
    const QString base = QString::fromStdString(dir.Path());
    ASSERT_TRUE(QDir().mkpath(base + "Jotterbase"));
    ASSERT_TRUE(QDir().mkpath(base + "Other"));
    ASSERT_TRUE(QFile::link(base + "Jotterbase", base + "link"));
    const QString name = app::InstanceName(base + "Jotterbase");
    const char* sameFolder[] = {"Jotterbase", "Jotterbase/", "Jotterbase/./", "Other/../Jotterbase", "link", "link/"};
    for (const char* f : sameFolder) EXPECT_EQ(name, app::InstanceName(base + f)) << f;
    EXPECT_NE(name, app::InstanceName(base + "Other"));
    EXPECT_NE(name, app::InstanceName(base + "NotThere"));
    EXPECT_TRUE(QFileInfo(name).fileName().startsWith(QStringLiteral("jotterbase-%1-").arg(::getuid())));
    EXPECT_TRUE(QDir::isAbsolutePath(name));
    EXPECT_LT(name.toUtf8().size(), 100);  // fits a local socket's address
}

TEST_F(SingleInstanceTest, LaterStartsHandTheirCommandLinesToTheFirstInOrder) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.Listening());
    std::vector<HandedOver> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h); });

    const std::vector<HandedOver> sent{
        {{"/FIND"}, "/home/u"},
        {{"my", "note.txt"}, "/home/u/Documents"},
        {{}, "/"},
        {{"Notizen äöü €.rtf"}, "/tmp/ü"},
        {{"two\nlines", "", "tab\there"}, "/w"},
        {{QString(5000, 'x')}, ""},
    };
    for (const HandedOver& h : sent) {
        const SecondStart later = StartAndSend(Name(), h);
        EXPECT_FALSE(later.first);
        EXPECT_TRUE(later.sent);
    }
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= sent.size(); }));
    EXPECT_EQ(sent, got);
}

TEST_F(SingleInstanceTest, WordsWithoutAWorkingFolderComeFromTheCurrentFolder) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    std::vector<HandedOver> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h); });
    std::atomic<bool> done{false};
    bool sent = false;
    std::thread later([&] {
        SingleInstance instance(Name());
        if (!instance.Start()) sent = instance.Send(QStringList{"a.txt"}, 5000);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    later.join();
    ASSERT_TRUE(sent);
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
    EXPECT_EQ((HandedOver{{"a.txt"}, QDir::currentPath()}), got.front());
}

TEST_F(SingleInstanceTest, WhatArrivesBeforeTheWindowIsReadyWaitsForIt) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    const std::vector<HandedOver> sent{{{"/FIND"}, "/a"}, {{"x.txt"}, "/b"}, {{"y", "z"}, "/c"}};
    for (const HandedOver& h : sent) ASSERT_TRUE(StartAndSend(Name(), h).sent);
    PumpUntil([&] { return first.Pending() == sent.size(); }, 2000);
    EXPECT_EQ(sent.size(), first.Pending());
    std::vector<HandedOver> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h); });
    EXPECT_EQ(sent, got);
    EXPECT_EQ(0u, first.Pending());
}

TEST_F(SingleInstanceTest, OneCommandLineRunsAtATime) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    std::vector<QString> got;
    int depth = 0, deepest = 0;
    first.SetReceiver([&](const HandedOver& h) {
        ++depth;
        deepest = std::max(deepest, depth);
        got.push_back(h.words.join(' '));
        if (h.words == QStringList{"A"}) {
            // A command with an event loop of its own (a dialog, an import): B arrives meanwhile.
            EXPECT_TRUE(StartAndSend(Name(), {{"B"}, "/"}).sent);
            PumpUntil([] { return false; }, 200);
            EXPECT_EQ((std::vector<QString>{"A"}), got);
        }
        --depth;
    });
    ASSERT_TRUE(StartAndSend(Name(), {{"A"}, "/"}).sent);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ((std::vector<QString>{"A", "B"}), got);
    EXPECT_EQ(1, deepest);
}

TEST_F(SingleInstanceTest, BrokenOrEmptyConnectionsAreDropped) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    std::vector<HandedOver> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h); });
    const QByteArray junk[] = {
        QByteArray(),                                        // connects and goes
        QByteArray("\xff\xff\xff\xff", 4),                    // a working folder of 4 GB
        QByteArray("\0\0\0\0\xff\xff\xff\xff", 8),            // four billion words
        QByteArray("\0\0\0\0\0\0\0\1\0\0\0\x10" "ab", 14),   // cut short
    };
    for (const QByteArray& bytes : junk) {
        std::atomic<bool> done{false};
        std::thread raw([&] {
            QLocalSocket s;
            s.connectToServer(Name());
            if (s.waitForConnected(2000)) {
                s.write(bytes);
                s.waitForBytesWritten(2000);
                s.waitForReadyRead(300);  // no answer comes
                s.disconnectFromServer();
            }
            done = true;
        });
        PumpUntil([&] { return done.load(); });
        raw.join();
    }
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(0u, first.Pending());
    // The first start still serves.
    ASSERT_TRUE(StartAndSend(Name(), {{"still", "here"}, "/"}).sent);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ((QStringList{"still", "here"}), got[0].words);
}

TEST_F(SingleInstanceTest, AnotherProcessHandsOverAndEndsWithZero) {
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    std::vector<QStringList> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h.words); });
    const QStringList lines[] = {{"/find"}, {"my", "note.txt"}, {}};
    for (const QStringList& words : lines) {
        const HelperRun run = Helper(Name(), 0, words);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(QStringList{"sent"}, run.lines);
    }
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ((std::vector<QStringList>{lines[0], lines[1], lines[2]}), got);
}

TEST_F(SingleInstanceTest, ASocketLeftByAKilledFirstStartIsTakenOver) {
    QProcess killed;
    killed.start(JB_SINGLE_INSTANCE_HELPER, {Name(), "0"});
    ASSERT_TRUE(killed.waitForReadyRead(10000));
    ASSERT_EQ("first\n", killed.readAllStandardOutput());
    killed.kill();  // SIGKILL: no chance to close the socket
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(Name())) << "the killed start left no socket file";

    SingleInstance next(Name());
    ASSERT_TRUE(next.Start());
    EXPECT_TRUE(next.Listening());
    std::vector<QStringList> got;
    next.SetReceiver([&](const HandedOver& h) { got.push_back(h.words); });
    const HelperRun run = Helper(Name(), 0, {"after", "the", "crash"});
    EXPECT_EQ(0, run.exitCode);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ((QStringList{"after", "the", "crash"}), got[0]);
}

TEST_F(SingleInstanceTest, StartsAtTheSameMomentMakeOneFirst) {
    constexpr int kStarts = 5;
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.push_back(std::make_unique<QProcess>());
        starts.back()->start(JB_SINGLE_INSTANCE_HELPER, {Name(), QString::number(kStarts - 1), QString::number(i)});
    }
    int firsts = 0, sent = 0;
    QStringList got;
    for (auto& p : starts) {
        ASSERT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(0, p->exitCode());
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (!lines.isEmpty() && lines[0] == "first") {
            ++firsts;
            got = lines.mid(1);
        } else if (lines == QStringList{"sent"}) {
            ++sent;
        }
    }
    EXPECT_EQ(1, firsts);
    EXPECT_EQ(kStarts - 1, sent);
    EXPECT_EQ(kStarts - 1, got.size());
}

TEST_F(SingleInstanceTest, TheSocketGoesWithTheFirstStart) {
    {
        SingleInstance first(Name());
        ASSERT_TRUE(first.Start());
        EXPECT_TRUE(QFileInfo::exists(Name()));
    }
    EXPECT_FALSE(QFileInfo::exists(Name()));
    // Nobody runs now: a start that finds nobody is first itself.
    SingleInstance again(Name());
    EXPECT_TRUE(again.Start());
}

TEST_F(SingleInstanceTest, SendingToNobodyFails) {
    SingleInstance nobody(Name());
    EXPECT_FALSE(nobody.Send(QStringList{"x"}, 500));
}

// The socket's folder must be the user's alone, or anyone could put a socket there first.
TEST_F(SingleInstanceTest, WithoutAFolderOfTheUsersAloneNothingIsHandedOverOrListenedFor) {
    const QString base = QString::fromStdString(dir.Path());
    struct Case {
        const char* name;
        std::function<bool(const QString& folder)> make;  // false: cannot be made here
    };
    const Case cases[] = {
        {"open to others", [](const QString& f) { return QDir().mkdir(f) && ::chmod(qPrintable(f), 0755) == 0; }},
        {"writable by the group", [](const QString& f) { return QDir().mkdir(f) && ::chmod(qPrintable(f), 0730) == 0; }},
        {"a link to a private folder",
         [&](const QString& f) { return QDir().mkdir(f + "-real") && QFile::link(f + "-real", f); }},
        {"another user's", [](const QString& f) {
             return ::geteuid() == 0 && QDir().mkdir(f) && ::chmod(qPrintable(f), 0700) == 0 &&
                    ::chown(qPrintable(f), 65534, 65534) == 0;
         }},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = base + "sockets" + QString::number(index++);
        if (!c.make(folder)) continue;
        const QString name = folder + "/jb.sock";
        SingleInstance start(name);
        EXPECT_TRUE(start.Start()) << "this start opens its own window";
        EXPECT_FALSE(start.Listening());
        EXPECT_FALSE(QFileInfo::exists(name));
    }
}

TEST_F(SingleInstanceTest, TheSocketIsMadeInAFolderOfTheUsersAlone) {
    const QString base = QString::fromStdString(dir.Path());
    ASSERT_TRUE(QDir().mkdir(base + "open"));
    ASSERT_EQ(0, ::chmod(qPrintable(base + "open"), 0755));
    ASSERT_TRUE(QDir().mkdir(base + "tmp"));
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR");
    // A runtime folder others may enter is not used; nor is the temporary folder itself.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + "open"));
    qputenv("TMPDIR", QFile::encodeName(base + "tmp"));
    const QString name = app::InstanceName(base);
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("TMPDIR", tmp);
    const QString folder = QFileInfo(name).absolutePath();
    EXPECT_EQ(base + QStringLiteral("tmp/jotterbase-%1").arg(::getuid()), folder);
    SingleInstance first(name);
    ASSERT_TRUE(first.Start());
    EXPECT_TRUE(first.Listening());
    struct stat info {};
    ASSERT_EQ(0, ::lstat(qPrintable(folder), &info));
    EXPECT_EQ(0700u, info.st_mode & 0777);
    EXPECT_EQ(::geteuid(), info.st_uid);
}

// Another user's program: only root can play one here (foreign_peer becomes "nobody").
TEST_F(SingleInstanceTest, AListenerOfAnotherUserIsToldNothingAndTheStartRunsOnItsOwn) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can run a listener as another user";
    QProcess peer;
    peer.start(JB_FOREIGN_PEER, {"listen", Name()});
    ASSERT_TRUE(peer.waitForReadyRead(10000));
    ASSERT_EQ("listening\n", peer.readLine());

    SingleInstance later(Name());
    const bool first = later.Start();
    const bool sent = !first && later.Send(QStringList{"/home/me/private-notes.rtf"}, 2000);
    EXPECT_TRUE(first) << "this start opens its own window";
    EXPECT_FALSE(sent);
    EXPECT_FALSE(later.Listening());
    ASSERT_TRUE(peer.waitForFinished(15000));
    EXPECT_EQ("took 0 bytes\n", peer.readAllStandardOutput());
    // Nor does a later hand-over reach it.
    EXPECT_FALSE(later.Send(QStringList{"x"}, 500));
}

TEST_F(SingleInstanceTest, AConnectionFromAnotherUserIsDropped) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can connect as another user";
    SingleInstance first(Name());
    ASSERT_TRUE(first.Start());
    std::vector<HandedOver> got;
    first.SetReceiver([&](const HandedOver& h) { got.push_back(h); });
    // Let the other user reach the socket, as a folder opened by mistake would.
    ASSERT_EQ(0, ::chmod(dir.Path().c_str(), 0711));
    ASSERT_EQ(0, ::chmod(qPrintable(Name()), 0777));
    QProcess peer;
    peer.start(JB_FOREIGN_PEER, {"send", Name()});
    ASSERT_TRUE(PumpUntil([&] { return peer.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ("no answer\n", peer.readAllStandardOutput());
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(0u, first.Pending());
    // The user's own later starts are still served, once the folder is theirs alone again.
    ASSERT_EQ(0, ::chmod(dir.Path().c_str(), 0700));
    ASSERT_TRUE(StartAndSend(Name(), {{"mine"}, "/"}).sent);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
}

// The window and what it is handed.
class HandedOverToTheWindowTest : public ::testing::Test {
protected:
    HandedOverToTheWindowTest() {
        EnsureApplication();
        form = std::make_unique<workspace::TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, folder.Path()});
        form->hooks.openSearchDialog = [this](workspace::TMainForm&) { calls.push_back("find"); };
        form->hooks.importFile = [this](workspace::TMainForm&, const QString& file) {
            if (file.endsWith("throws.txt")) throw std::runtime_error("import failed");
            calls.push_back("import " + file);
        };
    }

    TempDir folder;
    TempDir work;
    ScriptedDialogs dialogs;
    FixedClock clock{45000.5};
    RecordingDesktop desktop;
    std::unique_ptr<workspace::TMainForm> form;
    std::vector<QString> calls;
};

TEST_F(HandedOverToTheWindowTest, FindOpensTheSearchDialogAFileIsImported) {
    const QString notes = QString::fromStdString(folder.Path());
    const QString cwd = QString::fromStdString(work.Path());
    WriteFileBytes(folder.File("my note.txt"), "a note\n");
    WriteFileBytes(work.File("relative.txt"), "a note\n");
    WriteFileBytes(work.File("throws.txt"), "a note\n");
    const QString missing = "The filename you specified does not exist.";

    struct Case {
        QStringList words;
        QString workingFolder;
        std::vector<QString> calls;
        QString message;  // the one message shown, or none
    };
    const Case cases[] = {
        {{"/FIND"}, cwd, {"find"}, {}},
        {{"/find"}, cwd, {"find"}, {}},
        {{"/Find", notes + "my note.txt"}, cwd, {"find"}, {}},
        {{notes + "my", "note.txt"}, cwd, {"import " + notes + "my note.txt"}, {}},
        {{"relative.txt"}, cwd, {"import " + QDir(cwd).filePath("relative.txt")}, {}},
        {{"missing.txt"}, cwd, {}, missing},
        {{"/FINDX"}, cwd, {}, missing},
        {{notes + "my", "", "note.txt"}, cwd, {}, missing},  // joined: "my  note.txt"
        {{}, cwd, {}, {}},
        {{"throws.txt"}, cwd, {}, "import failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join('|').toStdString());
        calls.clear();
        dialogs.shown.clear();
        if (!c.message.isEmpty()) dialogs.Expect(c.message);
        app::RunHandedOver(*form, {c.words, c.workingFolder});
        EXPECT_EQ(c.calls, calls);
        EXPECT_TRUE(dialogs.Done());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.shown.empty());
        } else {
            ASSERT_EQ(1u, dialogs.shown.size());
            EXPECT_EQ(c.message, dialogs.shown[0].text);
            EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown[0].icon);
            EXPECT_EQ("Jotterbase", dialogs.shown[0].caption);
        }
    }
}

// The program's way of wiring it: a later start's /FIND reaches the window's search hook.
TEST_F(HandedOverToTheWindowTest, ALaterStartReachesTheWindow) {
    TempDir sockets;
    const QString name = QString::fromStdString(sockets.Path()) + "jb.sock";
    SingleInstance first(name);
    ASSERT_TRUE(first.Start());
    first.SetReceiver([this](const HandedOver& h) { app::RunHandedOver(*form, h); });
    EXPECT_EQ(0, Helper(name, 0, {"/FIND"}).exitCode);
    ASSERT_TRUE(PumpUntil([&] { return !calls.empty(); }));
    EXPECT_EQ((std::vector<QString>{"find"}), calls);
}

}  // namespace
}  // namespace jb::test
