#include "settings/desktop_links.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace jb::settings_ui {

namespace {

constexpr char kFindShortcutName[] = "Search Jotterbase.desktop";
constexpr char kImportEntryName[] = "jotterbase-import.desktop";
constexpr char kHotKeyKey[] = "X-KDE-Shortcuts";
// The icon that scripts/install-desktop-entry.sh puts into the user's icon theme.
constexpr char kIcon[] = "jotterbase";
// The types import reads.
constexpr char kImportTypes[] = "text/plain;text/rtf;application/rtf;text/html;text/markdown;";

// The folder for Path: without its final "/", except for the root.
QString FolderValue(const QString& folder) {
    QString f = QDir::cleanPath(folder);
    return f.isEmpty() ? QStringLiteral("/") : f;
}

// Writes the entry beside its final name and renames it over, so that a desktop scanning the
// folder never reads half a file.
bool WriteEntry(const QString& fileName, const QStringList& lines) {
    if (!QDir().mkpath(ApplicationsFolder())) return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray bytes = "[Desktop Entry]\n";
    for (const QString& line : lines) bytes += line.toUtf8() + '\n';
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The value of `key` in the [Desktop Entry] group, or nothing.
std::optional<QString> EntryValue(const QByteArray& bytes, const QString& key) {
    bool inGroup = false;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            inGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inGroup) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed() != key) continue;
        return UnescapedValue(line.mid(equals + 1).trimmed());
    }
    return std::nullopt;
}

// The start of the Exec key: the program, and the program folder it is to work in when it
// keeps none of its own.
QString ExecStart(const QString& program, const QString& programFolder, bool nameFolder) {
    return ExecProgram(program) + (nameFolder ? " " + ExecProgram("--folder=" + FolderValue(programFolder)) : QString());
}

// The first key combination of a sequence in KDE's form, "Ctrl+Alt+F".
QString HotKeyText(const QKeySequence& hotKey) {
    const QKeySequence first = hotKey.isEmpty() ? DefaultFindHotKey() : QKeySequence(hotKey[0]);
    return first.toString(QKeySequence::PortableText);
}

}  // namespace

QString ApplicationsFolder() {
    // A relative XDG_DATA_HOME is invalid and ignored.
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    return (QDir::isAbsolutePath(data) ? data : QDir::homePath() + "/.local/share") + "/applications";
}

QString FindShortcutFile() { return ApplicationsFolder() + "/" + kFindShortcutName; }
QString ImportEntryFile() { return ApplicationsFolder() + "/" + kImportEntryName; }

QKeySequence DefaultFindHotKey() { return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F); }

QString EscapedValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\\') out += QStringLiteral("\\\\");
        else if (c == '\n') out += QStringLiteral("\\n");
        else if (c == '\t') out += QStringLiteral("\\t");
        else if (c == '\r') out += QStringLiteral("\\r");
        else if (c == ' ' && i == 0) out += QStringLiteral("\\s");
        else out += c;
    }
    return out;
}

QString UnescapedValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == 's') out += ' ';
        else if (next == 'n') out += '\n';
        else if (next == 't') out += '\t';
        else if (next == 'r') out += '\r';
        else if (next == '\\') out += '\\';
        else out += QString('\\') + next;  // not an escape of strings: kept as it stands
    }
    return out;
}

QString ExecProgram(const QString& program) {
    QString quoted = "\"";
    for (const QChar c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    quoted += '"';
    return EscapedValue(quoted);
}

std::optional<QKeySequence> ReadFindShortcut() {
    QFile file(FindShortcutFile());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const std::optional<QString> value = EntryValue(file.readAll(), kHotKeyKey);
    // KDE lists alternatives with commas; the first is the one the dialog shows.
    const QKeySequence hotKey = value ? QKeySequence::fromString(*value, QKeySequence::PortableText) : QKeySequence();
    if (hotKey.isEmpty() || hotKey[0].key() == Qt::Key_unknown) return DefaultFindHotKey();
    return QKeySequence(hotKey[0]);
}

bool WriteFindShortcut(const QString& program, const QString& programFolder, const QKeySequence& hotKey,
                       bool nameFolder) {
    return WriteEntry(FindShortcutFile(), {
        "Type=Application",
        "Name=Search Jotterbase",
        "Comment=Find",
        "Exec=" + ExecStart(program, programFolder, nameFolder) + " /FIND",
        "Path=" + EscapedValue(FolderValue(programFolder)),
        QStringLiteral("Icon=") + kIcon,
        "Terminal=false",
        "NoDisplay=false",
        "Categories=Office;",
        QStringLiteral("StartupWMClass=") + kIcon,
        QString::fromLatin1(kHotKeyKey) + "=" + HotKeyText(hotKey),
    });
}

void DeleteFindShortcut() { QFile::remove(FindShortcutFile()); }

bool ImportEntryExists() { return QFile::exists(ImportEntryFile()); }

bool WriteImportEntry(const QString& program, const QString& programFolder, bool nameFolder) {
    // The file goes to the program as its one parameter; a field code must stand outside quotes.
    return WriteEntry(ImportEntryFile(), {
        "Type=Application",
        "Name=Import to Jotterbase",
        "Comment=Import the file as pages of Jotterbase",
        "Exec=" + ExecStart(program, programFolder, nameFolder) + " %f",
        "Path=" + EscapedValue(FolderValue(programFolder)),
        QStringLiteral("Icon=") + kIcon,
        "Terminal=false",
        "NoDisplay=true",
        QStringLiteral("MimeType=") + kImportTypes,
        QStringLiteral("StartupWMClass=") + kIcon,
    });
}

void DeleteImportEntry() { QFile::remove(ImportEntryFile()); }

}  // namespace jb::settings_ui
