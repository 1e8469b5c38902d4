#include "spelling/hunspell_engine.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>
#include <hunspell/hunspell.hxx>

namespace jb::spelling {

namespace {

QStringList ListNames(const std::string& list) {
    QStringList names;
    for (const QString& part : QString::fromLocal8Bit(list).split(',')) names << part.trimmed();
    return names;
}

// The lines of a text file (UTF-8), without line ends; empty when the file cannot be read.
QStringList FileLines(const QString& path) {
    QStringList lines;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return lines;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& line : text.split('\n')) {
        QString l = line;
        if (l.endsWith('\r')) l.chop(1);
        lines << l;
    }
    return lines;
}

QHash<QString, QString> Corrections(const QString& path) {
    QHash<QString, QString> corrections;
    for (const QString& line : FileLines(path)) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QString wrong = NormalisedWord(line.left(eq).trimmed());
        const QString right = line.mid(eq + 1).trimmed();
        if (!wrong.isEmpty() && !right.isEmpty() && !corrections.contains(wrong)) corrections.insert(wrong, right);
    }
    return corrections;
}

}  // namespace

QString NormalisedWord(const QString& word) {
    QString w = word;
    w.replace(QChar(0x2019), QChar('\'')).replace(QChar(0x2018), QChar('\''));
    return w;
}

HunspellEngine::HunspellEngine() = default;
HunspellEngine::~HunspellEngine() = default;

void HunspellEngine::SetMainLexPath(const std::string& folder) {
    if (folder != mainPath_) dirty_ = true;
    mainPath_ = folder;
}

void HunspellEngine::SetUserLexPath(const std::string& folder) {
    if (folder != userPath_) userDirty_ = true;
    userPath_ = folder;
}

void HunspellEngine::SetMainLexFiles(const std::string& files) {
    if (files != mainFiles_) dirty_ = true;
    mainFiles_ = files;
}

void HunspellEngine::SetUserLexFiles(const std::string& files) {
    // The user lexicons are read again on every set-up: the user may have edited them.
    userDirty_ = true;
    userFiles_ = files;
}

QString HunspellEngine::Resolve(const QString& name, const std::string& folder) const {
    if (name.isEmpty() || QFileInfo(name).isAbsolute()) return name;
    QString base = QString::fromLocal8Bit(folder);
    if (!base.isEmpty() && !base.endsWith('/')) base += '/';
    return base + name;
}

QString HunspellEngine::IgnoreListPath() const {
    const QStringList names = ListNames(userFiles_);
    if (names.isEmpty() || names[0].isEmpty()) return {};
    return Resolve(names[0], userPath_);
}

void HunspellEngine::LoadUserLexicons() {
    ignored_.clear();
    const QStringList names = ListNames(userFiles_);
    if (!names.isEmpty() && !names[0].isEmpty()) {
        for (const QString& line : FileLines(Resolve(names[0], userPath_))) {
            const QString word = NormalisedWord(line.trimmed());
            if (!word.isEmpty()) ignored_.insert(word);
        }
    }
    autoCorrections_ = names.size() > 1 && !names[1].isEmpty() ? Corrections(Resolve(names[1], userPath_))
                                                               : QHash<QString, QString>{};
    conditionalCorrections_ = names.size() > 2 && !names[2].isEmpty() ? Corrections(Resolve(names[2], userPath_))
                                                                      : QHash<QString, QString>{};
}

void HunspellEngine::EnsureLoaded() {
    if (!dirty_ && !userDirty_) return;
    ++generation_;
    if (userDirty_) {
        userDirty_ = false;
        LoadUserLexicons();
    }
    if (!dirty_) return;
    dirty_ = false;
    hunspell_.reset();
    loadError_.clear();

    // The ".aff" and ".dic" files of the list, whichever order they come in; names without those
    // endings are taken in order.
    QString aff, dic;
    QStringList others;
    for (const QString& name : ListNames(mainFiles_)) {
        if (name.isEmpty()) continue;
        if (name.endsWith(".aff", Qt::CaseInsensitive) && aff.isEmpty()) aff = Resolve(name, mainPath_);
        else if (name.endsWith(".dic", Qt::CaseInsensitive) && dic.isEmpty()) dic = Resolve(name, mainPath_);
        else others << Resolve(name, mainPath_);
    }
    if (aff.isEmpty() && !others.isEmpty()) aff = others.takeFirst();
    if (dic.isEmpty() && !others.isEmpty()) dic = others.takeFirst();
    if (aff.isEmpty() || dic.isEmpty()) {
        loadError_ = mainFiles_.empty() ? QString("No spelling dictionary has been chosen.")
                                        : "The spelling dictionary " + QString::fromLocal8Bit(mainFiles_) +
                                              " does not name both a .aff and a .dic file.";
        return;
    }
    for (const QString& file : {aff, dic}) {
        const QFileInfo info(file);
        if (!info.isFile() || !info.isReadable()) {
            loadError_ = "The spelling dictionary could not be loaded: " + file + " cannot be read.";
            return;
        }
    }
    hunspell_ = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    const QString encoding = QString::fromStdString(hunspell_->get_dict_encoding()).trimmed();
    utf8_ = encoding.compare("UTF-8", Qt::CaseInsensitive) == 0 || encoding.compare("UTF8", Qt::CaseInsensitive) == 0;
    encoding_ = encoding.toLatin1();
}

bool HunspellEngine::Loaded() {
    EnsureLoaded();
    return hunspell_ != nullptr;
}

QString HunspellEngine::LoadError() {
    EnsureLoaded();
    return loadError_;
}

std::string HunspellEngine::Encode(const QString& word, bool* ok) const {
    *ok = true;
    if (utf8_) return word.toUtf8().toStdString();
    QStringEncoder encoder(encoding_.constData());
    if (!encoder.isValid()) {
        // ISO8859-1, or a character set this Qt does not know: Latin-1 as far as it goes.
        for (QChar c : word) {
            if (c.unicode() > 0xFF) *ok = false;
        }
        return word.toLatin1().toStdString();
    }
    const QByteArray bytes = encoder.encode(word);
    if (encoder.hasError()) *ok = false;
    return bytes.toStdString();
}

QString HunspellEngine::Decode(const std::string& bytes) const {
    if (utf8_) return QString::fromUtf8(bytes);
    QStringDecoder decoder(encoding_.constData());
    if (!decoder.isValid()) return QString::fromLatin1(bytes);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool HunspellEngine::Correct(const QString& word) {
    EnsureLoaded();
    const QString w = NormalisedWord(word);
    if (w.isEmpty() || ignoredForSession_.contains(w)) return true;
    if (autoCorrections_.contains(w)) return false;
    if (ignored_.contains(w) || ignored_.contains(w.toLower())) return true;
    if (!hunspell_) return true;
    bool ok = true;
    const std::string bytes = Encode(w, &ok);
    // A word the dictionary's character set cannot spell is not the dictionary's to judge.
    if (!ok) return true;
    return hunspell_->spell(bytes);
}

QStringList HunspellEngine::Suggest(const QString& word) {
    EnsureLoaded();
    const QString w = NormalisedWord(word);
    QStringList result;
    auto offer = [&](const QString& s) {
        if (!s.isEmpty() && !result.contains(s)) result << s;
    };
    if (auto it = autoCorrections_.constFind(w); it != autoCorrections_.cend()) offer(*it);
    if (auto it = conditionalCorrections_.constFind(w); it != conditionalCorrections_.cend()) offer(*it);
    if (hunspell_ && !w.isEmpty()) {
        bool ok = true;
        const std::string bytes = Encode(w, &ok);
        if (ok) {
            for (const std::string& s : hunspell_->suggest(bytes)) offer(Decode(s));
        }
    }
    return result;
}

void HunspellEngine::IgnoreForSession(const QString& word) {
    const QString w = NormalisedWord(word);
    if (w.isEmpty() || ignoredForSession_.contains(w)) return;
    ignoredForSession_.insert(w);
    ++generation_;
}

bool HunspellEngine::Add(const QString& word) {
    EnsureLoaded();
    const QString w = NormalisedWord(word).trimmed();
    if (w.isEmpty()) return true;
    ignored_.insert(w);
    autoCorrections_.remove(w);
    ++generation_;
    const QString path = IgnoreListPath();
    if (path.isEmpty()) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    // A list whose last line has no line end gets one first.
    QByteArray bytes;
    if (file.size() > 0) {
        QFile reader(path);
        if (reader.open(QIODevice::ReadOnly) && reader.seek(file.size() - 1) && reader.read(1) != "\n") bytes += '\n';
    }
    bytes += w.toUtf8() + '\n';
    return file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace jb::spelling
