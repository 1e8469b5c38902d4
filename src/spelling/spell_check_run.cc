#include "spelling/spell_check_run.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include "spelling/hunspell_engine.h"
#include "spelling/spell_words.h"

namespace jb::spelling {

SpellCheckRun::SpellCheckRun(QTextDocument& doc, HunspellEngine& engine) : doc_(doc), engine_(engine) {}

void SpellCheckRun::Replace(int position, int length, const QString& replacement) {
    QTextCursor cursor(&doc_);
    // The replacement takes the format of the word's first character.
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    if (cursor.selectedText() == replacement) return;
    cursor.insertText(replacement, format);
    changed_ = true;
}

bool SpellCheckRun::Next() {
    if (finished_) return false;
    for (QTextBlock block = doc_.findBlock(scanFrom_); block.isValid(); block = block.next()) {
        const int base = block.position();
        // Changes move the text after them; the block's words are found again after each one.
        bool again = true;
        while (again) {
            again = false;
            const QString current = block.text();
            for (const WordSpan& span : CheckedWords(current)) {
                const int at = base + span.start;
                if (at < scanFrom_) continue;
                const QString word = current.mid(span.start, span.length);
                if (auto it = changedAll_.constFind(word); it != changedAll_.cend()) {
                    const QString replacement = *it;
                    Replace(at, span.length, replacement);
                    scanFrom_ = at + static_cast<int>(replacement.size());
                    again = true;
                    break;
                }
                if (engine_.Correct(word)) continue;
                word_ = word;
                position_ = at;
                scanFrom_ = at + span.length;
                return true;
            }
        }
    }
    finished_ = true;
    word_.clear();
    return false;
}

WordInSentence SpellCheckRun::Sentence() const {
    WordInSentence result;
    const QTextBlock block = doc_.findBlock(position_);
    const QString text = block.text();
    const int offset = position_ - block.position();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, text);
    finder.setPosition(offset);
    int from = finder.isAtBoundary() ? offset : static_cast<int>(finder.toPreviousBoundary());
    if (from < 0) from = 0;
    finder.setPosition(offset + static_cast<int>(word_.size()));
    int to = finder.isAtBoundary() ? offset + static_cast<int>(word_.size()) : static_cast<int>(finder.toNextBoundary());
    if (to < 0) to = static_cast<int>(text.size());
    // A very long paragraph without full stops shows a stretch around the word.
    constexpr int kAround = 120;
    from = std::max(from, offset - kAround);
    to = std::min(to, offset + static_cast<int>(word_.size()) + kAround);
    result.sentence = text.mid(from, to - from);
    result.wordStart = offset - from;
    result.wordLength = static_cast<int>(word_.size());
    return result;
}

QStringList SpellCheckRun::Suggestions() const { return finished_ ? QStringList{} : engine_.Suggest(word_); }

bool SpellCheckRun::Change(const QString& replacement) {
    if (finished_) return false;
    Replace(position_, static_cast<int>(word_.size()), replacement);
    scanFrom_ = position_ + static_cast<int>(replacement.size());
    return Next();
}

bool SpellCheckRun::ChangeAll(const QString& replacement) {
    if (finished_) return false;
    changedAll_.insert(word_, replacement);
    return Change(replacement);
}

bool SpellCheckRun::Ignore() { return Next(); }

bool SpellCheckRun::IgnoreAll() {
    if (finished_) return false;
    // Ignored for the whole session, so that the underlining as the user types passes over it too.
    engine_.IgnoreForSession(word_);
    return Next();
}

bool SpellCheckRun::Add(bool* added) {
    if (finished_) return false;
    const bool written = engine_.Add(word_);
    if (added) *added = written;
    return Next();
}

}  // namespace jb::spelling
