// The find shortcut and the "Import to Jotterbase" entry: written into the applications folder
// of $XDG_DATA_HOME, read back, accepted by desktop-file-validate, started by GLib's launcher
// with the program path intact, and removed.

#include "settings/desktop_links.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

// Test failures show Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_BEGIN_NAMESPACE
inline void PrintTo(const QKeySequence& k, std::ostream* os) { *os << k.toString().toStdString(); }
QT_END_NAMESPACE

namespace jb::test {
namespace {

namespace fs = std::filesystem;
using namespace jb::settings_ui;

bool HaveTool(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of a desktop entry file as written, "Key" -> raw value.
QMap<QString, QString> Keys(const QString& path) {
    QMap<QString, QString> keys;
    for (const QByteArray& line : ReadAll(path).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) keys.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    return keys;
}

// desktop-file-validate's verdict: empty when it has nothing to say, else its output.
QString Validate(const QString& path) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("desktop-file-validate", {path});
    if (!p.waitForFinished(20000)) return "desktop-file-validate did not finish";
    const QString out = QString::fromUtf8(p.readAll()).trimmed();
    if (p.exitCode() != 0) return "exit code " + QString::number(p.exitCode()) + ": " + out;
    return out;
}

class DesktopLinksTest : public ::testing::Test {
protected:
    DesktopLinksTest() {
        old_ = qgetenv("XDG_DATA_HOME");
        hadOld_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path() + "share"));
    }
    ~DesktopLinksTest() override {
        if (hadOld_) qputenv("XDG_DATA_HOME", old_);
        else qunsetenv("XDG_DATA_HOME");
    }
    QString Applications() const { return QString::fromStdString(data.Path()) + "share/applications"; }
    QStringList FilesInApplications() const { return QDir(Applications()).entryList(QDir::Files | QDir::Hidden); }

    TempDir data;
    QString program = "/opt/Jotterbase/jotterbase";
    QString folder = "/opt/Jotterbase/";

private:
    QByteArray old_;
    bool hadOld_ = false;
};

TEST_F(DesktopLinksTest, TheFoldersFollowXdgDataHome) {
    EXPECT_EQ(Applications(), ApplicationsFolder());
    EXPECT_EQ(Applications() + "/Search Jotterbase.desktop", FindShortcutFile());
    EXPECT_EQ(Applications() + "/jotterbase-import.desktop", ImportEntryFile());
    qputenv("XDG_DATA_HOME", "relative/share");  // not absolute: ignored
    EXPECT_EQ(QDir::homePath() + "/.local/share/applications", ApplicationsFolder());
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(QDir::homePath() + "/.local/share/applications", ApplicationsFolder());
}

TEST_F(DesktopLinksTest, FindShortcutHasTheKeysOfALauncherOfTheSearch) {
    EXPECT_FALSE(ReadFindShortcut().has_value());
    ASSERT_TRUE(WriteFindShortcut(program, folder, QKeySequence("Ctrl+Alt+F")));
    const QMap<QString, QString> keys = Keys(FindShortcutFile());
    const QMap<QString, QString> expected{
        {"Type", "Application"},
        {"Name", "Search Jotterbase"},
        {"Comment", "Find"},
        {"Exec", "\"/opt/Jotterbase/jotterbase\" /FIND"},
        {"Path", "/opt/Jotterbase"},
        {"Icon", "jotterbase"},
        {"Terminal", "false"},
        {"NoDisplay", "false"},
        {"X-KDE-Shortcuts", "Ctrl+Alt+F"},
    };
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        EXPECT_EQ(it.value(), keys.value(it.key())) << it.key().toStdString();
    }
    EXPECT_TRUE(ReadAll(FindShortcutFile()).startsWith("[Desktop Entry]\n"));
    if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    EXPECT_EQ("", Validate(FindShortcutFile()));
}

TEST_F(DesktopLinksTest, HotKeyRoundTrips) {
    struct Case {
        const char* hotKey;
        const char* written;
    };
    const Case cases[] = {
        {"Ctrl+Alt+F", "Ctrl+Alt+F"},
        {"Ctrl+Shift+F12", "Ctrl+Shift+F12"},
        {"Meta+Alt+J", "Meta+Alt+J"},
        {"Ctrl+Alt+Space", "Ctrl+Alt+Space"},
        {"Ctrl+Alt+Shift+Home", "Ctrl+Alt+Shift+Home"},
        {"Ctrl+Alt+5", "Ctrl+Alt+5"},
        {"Ctrl+Alt+K, Ctrl+B", "Ctrl+Alt+K"},  // a desktop binds one key combination
        {"", "Ctrl+Alt+F"},                    // none: the default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hotKey);
        ASSERT_TRUE(WriteFindShortcut(program, folder, QKeySequence(c.hotKey)));
        EXPECT_EQ(QString(c.written), Keys(FindShortcutFile()).value("X-KDE-Shortcuts"));
        const std::optional<QKeySequence> back = ReadFindShortcut();
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(QKeySequence(c.written), *back);
        if (HaveTool("desktop-file-validate")) {
            EXPECT_EQ("", Validate(FindShortcutFile()));
        }
    }
    // Updating leaves the one file, no temporary file beside it.
    EXPECT_EQ(QStringList{"Search Jotterbase.desktop"}, FilesInApplications());
}

TEST_F(DesktopLinksTest, ReadingAShortcutFileWrittenByHandOrByTheDesktop) {
    struct Case {
        const char* text;
        const char* hotKey;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nType=Application\nName=Search Jotterbase\nExec=jotterbase /FIND\n", "Ctrl+Alt+F"},
        {"[Desktop Entry]\nX-KDE-Shortcuts=Meta+Shift+S\n", "Meta+Shift+S"},
        {"[Desktop Entry]\nX-KDE-Shortcuts = Ctrl+Alt+G \n", "Ctrl+Alt+G"},
        {"[Desktop Entry]\nX-KDE-Shortcuts=Ctrl+Alt+H, Meta+H\n", "Ctrl+Alt+H"},
        {"[Desktop Entry]\nX-KDE-Shortcuts=\n", "Ctrl+Alt+F"},
        {"[Desktop Entry]\nX-KDE-Shortcuts=NoSuchKey+Nonsense\n", "Ctrl+Alt+F"},
        {"# comment\n[Desktop Entry]\nName=x\n[Desktop Action other]\nX-KDE-Shortcuts=Ctrl+Alt+Q\n", "Ctrl+Alt+F"},
        {"[Desktop Entry]\r\nX-KDE-Shortcuts=Ctrl+Alt+J\r\n", "Ctrl+Alt+J"},
        {"", "Ctrl+Alt+F"},
    };
    ASSERT_TRUE(QDir().mkpath(Applications()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QFile f(FindShortcutFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        const std::optional<QKeySequence> back = ReadFindShortcut();
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(QKeySequence(c.hotKey), *back);
    }
}

TEST_F(DesktopLinksTest, DeletingTheFindShortcut) {
    DeleteFindShortcut();  // nothing there: harmless
    ASSERT_TRUE(WriteFindShortcut(program, folder, QKeySequence("Ctrl+Alt+F")));
    ASSERT_TRUE(QFile::exists(FindShortcutFile()));
    DeleteFindShortcut();
    EXPECT_FALSE(QFile::exists(FindShortcutFile()));
    EXPECT_FALSE(ReadFindShortcut().has_value());
    // Ticking it again brings it back with the chosen key.
    ASSERT_TRUE(WriteFindShortcut(program, folder, QKeySequence("Ctrl+Alt+T")));
    EXPECT_EQ(QKeySequence("Ctrl+Alt+T"), ReadFindShortcut().value_or(QKeySequence()));
}

TEST_F(DesktopLinksTest, ImportEntryOffersTheImportTypesUnderOpenWith) {
    EXPECT_FALSE(ImportEntryExists());
    ASSERT_TRUE(WriteImportEntry(program, folder));
    EXPECT_TRUE(ImportEntryExists());
    const QMap<QString, QString> keys = Keys(ImportEntryFile());
    const QMap<QString, QString> expected{
        {"Type", "Application"},
        {"Name", "Import to Jotterbase"},
        {"Exec", "\"/opt/Jotterbase/jotterbase\" %f"},
        {"Path", "/opt/Jotterbase"},
        {"MimeType", "text/plain;text/rtf;application/rtf;text/html;text/markdown;"},
        {"NoDisplay", "true"},
        {"Terminal", "false"},
    };
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        EXPECT_EQ(it.value(), keys.value(it.key())) << it.key().toStdString();
    }
    // Writing again updates the one file.
    ASSERT_TRUE(WriteImportEntry("/elsewhere/jotterbase", "/elsewhere"));
    EXPECT_EQ("\"/elsewhere/jotterbase\" %f", Keys(ImportEntryFile()).value("Exec"));
    EXPECT_EQ(QStringList{"jotterbase-import.desktop"}, FilesInApplications());
    if (HaveTool("desktop-file-validate")) {
        EXPECT_EQ("", Validate(ImportEntryFile()));
    }
    DeleteImportEntry();
    EXPECT_FALSE(ImportEntryExists());
    EXPECT_TRUE(FilesInApplications().isEmpty());
    DeleteImportEntry();  // nothing there: harmless
    EXPECT_FALSE(ImportEntryExists());
}

// Exec holds the program in double quotes: '"', '`', '$' and '\' take a backslash, '%' is doubled,
// and the value is then escaped as a string (each backslash doubled). Path is a plain string.
TEST_F(DesktopLinksTest, ProgramPathsAreQuotedForExec) {
    struct Case {
        const char* program;
        const char* exec;
        const char* path;
    };
    const Case cases[] = {
        {"/opt/jb/jotterbase", R"("/opt/jb/jotterbase")", "/opt/jb"},
        {"/home/a b/Jotterbase/jotterbase", R"("/home/a b/Jotterbase/jotterbase")", "/home/a b/Jotterbase"},
        {"/x/100%/jotterbase", R"("/x/100%%/jotterbase")", "/x/100%"},
        {"/x/%f %u/jotterbase", R"("/x/%%f %%u/jotterbase")", "/x/%f %u"},
        {"/x/$HOME/jotterbase", R"("/x/\\$HOME/jotterbase")", "/x/$HOME"},
        {"/x/say \"hi\"/jotterbase", R"("/x/say \\"hi\\"/jotterbase")", "/x/say \"hi\""},
        {"/x/back\\slash/jotterbase", R"("/x/back\\\\slash/jotterbase")", R"(/x/back\\slash)"},
        {"/x/`date`/jotterbase", R"("/x/\\`date\\`/jotterbase")", "/x/`date`"},
        {"/x/a;b=c#d'e/jotterbase", R"("/x/a;b=c#d'e/jotterbase")", "/x/a;b=c#d'e"},
        {"/x/Notizen äöü/jotterbase", R"("/x/Notizen äöü/jotterbase")", "/x/Notizen äöü"},
        {"/x/ lead/jotterbase", R"("/x/ lead/jotterbase")", "/x/ lead"},
    };
    for (const Case& c : cases) {
        const QString prog = QString::fromUtf8(c.program);
        SCOPED_TRACE(c.program);
        EXPECT_EQ(QString::fromUtf8(c.exec), ExecProgram(prog));
        const QString programFolder = prog.left(prog.lastIndexOf('/') + 1);
        ASSERT_TRUE(WriteFindShortcut(prog, programFolder, QKeySequence("Ctrl+Alt+F")));
        ASSERT_TRUE(WriteImportEntry(prog, programFolder));
        EXPECT_EQ(QString::fromUtf8(c.exec) + " /FIND", Keys(FindShortcutFile()).value("Exec"));
        EXPECT_EQ(QString::fromUtf8(c.exec) + " %f", Keys(ImportEntryFile()).value("Exec"));
        EXPECT_EQ(QString::fromUtf8(c.path), Keys(FindShortcutFile()).value("Path"));
        EXPECT_EQ(QString::fromUtf8(c.path), Keys(ImportEntryFile()).value("Path"));
        if (HaveTool("desktop-file-validate")) {
            EXPECT_EQ("", Validate(FindShortcutFile()));
            EXPECT_EQ("", Validate(ImportEntryFile()));
        }
    }
}

TEST(DesktopEntryValues, EscapeAndUnescape) {
    struct Case {
        const char* text;
        const char* value;
    };
    const Case cases[] = {
        {"plain", "plain"},      {"a\\b", "a\\\\b"},   {"two\nlines", "two\\nlines"}, {"tab\there", "tab\\there"},
        {"cr\rx", "cr\\rx"},     {" lead", "\\slead"}, {"inner space", "inner space"}, {"", ""},
        {"%$\"`;", "%$\"`;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(QString(c.value), EscapedValue(c.text));
        EXPECT_EQ(QString(c.text), UnescapedValue(c.value));
    }
    // What is no escape of strings stays as it stands.
    EXPECT_EQ("a\\$b\\", UnescapedValue("a\\$b\\"));
}

// GLib's launcher (gio launch) reads the entries as a file manager does: the program starts in
// the program folder with /FIND, or with the chosen file as one parameter. (GLib refuses a
// program path holding '%' before it expands the field codes, so that case is left to the table
// above and the validator.)
TEST_F(DesktopLinksTest, GlibStartsTheProgramFromEitherEntry) {
    if (!HaveTool("gio")) GTEST_SKIP() << "gio is not installed";
    const char* folders[] = {"plain", "with space", "dollar $HOME", "quote \"q\"", "back\\slash", "tick `x`",
                             "semi;colon 'single'", "ünïcödé"};
    TempDir programs;
    const QString record = QString::fromStdString(programs.File("record.txt"));
    for (const char* name : folders) {
        SCOPED_TRACE(name);
        const QString programFolder = QString::fromStdString(programs.Path()) + QString::fromUtf8(name);
        ASSERT_TRUE(QDir().mkpath(programFolder));
        const QString prog = programFolder + "/jotterbase";
        {
            QFile script(prog);
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '" + record.toUtf8() + ".new'\nmv '" +
                         record.toUtf8() + ".new' '" + record.toUtf8() + "'\n");
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        ASSERT_TRUE(WriteFindShortcut(prog, programFolder + "/", QKeySequence("Ctrl+Alt+F")));
        ASSERT_TRUE(WriteImportEntry(prog, programFolder + "/"));
        const QString note = QString::fromStdString(programs.Path()) + "my note 1.txt";

        struct Launch {
            QString entry;
            QStringList files;
            QString expected;
        };
        const Launch launches[] = {
            {FindShortcutFile(), {}, programFolder + "\n/FIND\n"},
            {ImportEntryFile(), {note}, programFolder + "\n" + note + "\n"},
        };
        for (const Launch& l : launches) {
            QFile::remove(record);
            QProcess gio;
            gio.setProcessChannelMode(QProcess::MergedChannels);
            gio.start("gio", QStringList{"launch", l.entry} + l.files);
            ASSERT_TRUE(gio.waitForFinished(20000));
            EXPECT_EQ(0, gio.exitCode()) << gio.readAll().toStdString();
            QElapsedTimer waited;
            waited.start();
            while (!QFile::exists(record) && waited.elapsed() < 10000) QThread::msleep(20);
            EXPECT_EQ(l.expected, QString::fromUtf8(ReadAll(record))) << l.entry.toStdString();
        }
    }
}

TEST_F(DesktopLinksTest, AFolderThatCannotBeWrittenGivesFalse) {
    struct Case {
        const char* what;
        std::string dataHome;
        std::string blocker;  // made a file (or, ending in "/", a folder) first
    };
    const Case cases[] = {
        {"data folder is a file", data.Path() + "file", data.Path() + "file"},
        {"applications is a file", data.Path() + "share2", data.Path() + "share2/applications"},
        {"the entry's name is a folder", data.Path() + "share3", "ENTRY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(c.dataHome));
        if (c.blocker == "ENTRY") {
            ASSERT_TRUE(QDir().mkpath(FindShortcutFile()));
            ASSERT_TRUE(QDir().mkpath(ImportEntryFile()));
        } else {
            fs::create_directories(fs::path(c.blocker).parent_path());
            WriteFileBytes(c.blocker, "x");
        }
        EXPECT_FALSE(WriteFindShortcut(program, folder, QKeySequence("Ctrl+Alt+F")));
        EXPECT_FALSE(WriteImportEntry(program, folder));
    }
    // A folder that is not writable (root writes anywhere, so only for other users).
    if (::geteuid() != 0) {
        const std::string home = data.Path() + "readonly";
        fs::create_directories(home + "/applications");
        fs::permissions(home + "/applications", fs::perms::owner_read | fs::perms::owner_exec);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home));
        EXPECT_FALSE(WriteFindShortcut(program, folder, QKeySequence("Ctrl+Alt+F")));
        EXPECT_FALSE(WriteImportEntry(program, folder));
        fs::permissions(home + "/applications", fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace jb::test
