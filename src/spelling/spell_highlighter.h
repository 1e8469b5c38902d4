#pragma once
// Misspelt words underlined as the user types: a red wavy line under each word the engine does
// not accept. The line is drawn by the editor's layout only; the document's text and formats,
// and so the stored page, never change. It follows the editor's document from page to page and
// is off while it is not wanted (the setting is off, the page is locked) and on read-only pages.
// Only the paragraphs on screen, and a few around them, are checked; the others are checked as
// they scroll into view, so that a page of a megabyte shows its underlining at once.

#include <QHash>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <cstdint>
#include <functional>

class QTextEdit;

namespace jb::spelling {

class HunspellEngine;

class TSpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // `wanted` tells whether underlining is wanted at all right now.
    TSpellHighlighter(QTextEdit& editor, HunspellEngine& engine, std::function<bool()> wanted);

    // Looks again at the editor's document, at whether underlining is wanted and at the engine's
    // lexicons, and underlines again what changed. Cheap when nothing did.
    void Refresh();
    // Underlining is on for the editor's document.
    bool Active() const { return document() != nullptr; }

protected:
    void highlightBlock(const QString& text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Misspelt(const QString& word);
    // The paragraphs on screen and a margin around them, by number.
    void FindVisibleBlocks();
    // Checks the paragraphs on screen that have not been checked yet.
    void CheckVisibleBlocks();

    QTextEdit& editor_;
    // The editor's viewport, whose events the filter watches. Kept from the start, because the
    // viewport's last events arrive while the editor is being destroyed, when no member of the
    // editor may be called any more.
    const QObject* viewport_;
    HunspellEngine& engine_;
    std::function<bool()> wanted_;
    QTextCharFormat underline_;
    QTextCharFormat link_;
    QHash<QString, bool> misspelt_;  // the engine's answers, by word
    std::uint64_t generation_ = 0;
    bool switching_ = false;  // attaching or detaching
    int firstVisible_ = 0;
    int lastVisible_ = -1;
};

}  // namespace jb::spelling
