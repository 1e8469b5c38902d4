#pragma once
// The spelling engine over Hunspell. A language's lexicon list names its Hunspell ".aff" and
// ".dic" files, separated by ","; names without a folder are looked up in the main lexicon
// folder. The user lexicons, in the user lexicon folder, are the ignore list (one word a line:
// words to accept), the automatic corrections and the conditional corrections (one
// "wrong=right" a line each). Hunspell is loaded when a word first needs checking, and again
// after the lists or folders changed.

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

#include "spelling/spell_engine.h"

class Hunspell;

namespace jb::spelling {

class HunspellEngine final : public SpellEngine {
public:
    HunspellEngine();
    ~HunspellEngine() override;
    HunspellEngine(const HunspellEngine&) = delete;
    HunspellEngine& operator=(const HunspellEngine&) = delete;

    void SetMainLexPath(const std::string& folder) override;
    void SetUserLexPath(const std::string& folder) override;
    void SetMainLexFiles(const std::string& files) override;
    void SetUserLexFiles(const std::string& files) override;

    // True when the main lexicons are loaded (loading them now if needed). Without them every
    // word counts as correct.
    bool Loaded();
    // Why the main lexicons could not be loaded; empty when they are loaded.
    QString LoadError();

    // The word is spelt correctly: ignored for the session, or accepted by the ignore list or
    // the dictionary and not one of the automatic corrections' wrong words.
    bool Correct(const QString& word);
    // Corrections for the word: the automatic correction first, then the conditional one, then
    // the dictionary's suggestions, each once.
    QStringList Suggest(const QString& word);
    // Accepts the word from now on and appends it to the ignore list (creating the file).
    // False when the file could not be written; the word is accepted for this session anyway.
    bool Add(const QString& word);
    // Accepts the word, exactly as written, until the program ends; nothing is written.
    void IgnoreForSession(const QString& word);

    // The ignore list's file (empty when no user lexicons are set).
    QString IgnoreListPath() const;
    // Counts every change of what Correct answers (a load, an added or ignored word), for caches.
    std::uint64_t Generation() const { return generation_; }

private:
    void EnsureLoaded();
    void LoadUserLexicons();
    QString Resolve(const QString& name, const std::string& folder) const;
    std::string Encode(const QString& word, bool* ok) const;
    QString Decode(const std::string& bytes) const;

    std::string mainPath_, userPath_, mainFiles_, userFiles_;
    bool dirty_ = true;      // the main lexicons are to be loaded
    bool userDirty_ = true;  // the user lexicons are to be read
    std::unique_ptr<Hunspell> hunspell_;
    bool utf8_ = true;
    QByteArray encoding_;
    QString loadError_;
    QSet<QString> ignored_;
    QSet<QString> ignoredForSession_;  // kept when the user lexicons are read again
    QHash<QString, QString> autoCorrections_;
    QHash<QString, QString> conditionalCorrections_;
    std::uint64_t generation_ = 0;
};

// Normalises a word for the lexicons: typographic apostrophes become "'".
QString NormalisedWord(const QString& word);

}  // namespace jb::spelling
