#pragma once
// One spelling check over a document: walks its misspelt words from the start to the end and
// applies the user's decisions to the document. The check dialog sits on top of it; the run
// itself has no widgets, so it can be driven directly.

#include <QHash>
#include <QString>
#include <QStringList>

class QTextDocument;

namespace jb::spelling {

class HunspellEngine;

// The sentence around a word, and where the word lies in it.
struct WordInSentence {
    QString sentence;
    int wordStart = 0;
    int wordLength = 0;
};

class SpellCheckRun {
public:
    SpellCheckRun(QTextDocument& doc, HunspellEngine& engine);

    // Moves to the next misspelt word after the current one (the first, at the start) and
    // makes it the current word, applying "change all" decisions on the way. False at the end
    // of the document; the run is then finished.
    bool Next();
    bool Finished() const { return finished_; }

    // The current misspelt word, its position in the document and its surroundings.
    const QString& Word() const { return word_; }
    int Position() const { return position_; }
    WordInSentence Sentence() const;
    QStringList Suggestions() const;

    // The decisions about the current word; each moves on to the next misspelt word and returns
    // what Next returns. Change puts `replacement` in place of the word (keeping its formatting);
    // Change All does so here and at every later occurrence; Ignore All and Add pass over this
    // and every later occurrence, Add also adding the word to the ignore list. `added` tells
    // whether the ignore list could be written. Words ignored all stay ignored by the engine for
    // the rest of the session.
    bool Change(const QString& replacement);
    bool ChangeAll(const QString& replacement);
    bool Ignore();
    bool IgnoreAll();
    bool Add(bool* added = nullptr);

    // Something in the document was changed.
    bool Changed() const { return changed_; }

private:
    void Replace(int position, int length, const QString& replacement);

    QTextDocument& doc_;
    HunspellEngine& engine_;
    QString word_;
    int position_ = 0;
    int scanFrom_ = 0;
    bool finished_ = false;
    bool changed_ = false;
    QHash<QString, QString> changedAll_;
};

}  // namespace jb::spelling
