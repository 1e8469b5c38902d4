#include "spelling/spell_highlighter.h"

#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <QTimer>
#include <QTextEdit>

#include "editor/link_overlay.h"
#include "spelling/hunspell_engine.h"
#include "spelling/spell_words.h"

namespace jb::spelling {

namespace {

// The answers kept; beyond this many distinct words they are forgotten and asked again.
constexpr qsizetype kMaxRemembered = 500000;
// Paragraphs checked beyond each edge of the screen, so that scrolling a little finds them done.
constexpr int kMarginBlocks = 20;
// Block states: not checked (left for when it is on screen), and checked.
constexpr int kUnchecked = -2;
constexpr int kChecked = 1;

}  // namespace

TSpellHighlighter::TSpellHighlighter(QTextEdit& editor, HunspellEngine& engine, std::function<bool()> wanted)
    : QSyntaxHighlighter(static_cast<QObject*>(nullptr)),
      editor_(editor),
      viewport_(editor.viewport()),
      engine_(engine),
      wanted_(std::move(wanted)) {
    setParent(&editor);
    setObjectName("SpellHighlighter");
    underline_.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline_.setUnderlineColor(Qt::red);
    editor.installEventFilter(this);
    editor.viewport()->installEventFilter(this);
    connect(editor.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { CheckVisibleBlocks(); });
    link_.setForeground(QColor(Qt::blue));
    link_.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    // A page is shown by giving the editor a new document, which the editor reports as a change
    // of its text. The underlining follows once the page is in place, after the editor's link
    // highlighting has settled on the new document, so that this highlighter has the last word.
    connect(&editor, &QTextEdit::textChanged, this, [this] {
        if (!switching_ && document() != (wanted_() && !editor_.isReadOnly() ? editor_.document() : nullptr)) {
            QTimer::singleShot(0, this, [this] { Refresh(); });
        }
    });
    Refresh();
}

void TSpellHighlighter::Refresh() {
    if (switching_) return;
    QTextDocument* target = wanted_() && !editor_.isReadOnly() ? editor_.document() : nullptr;
    if (target != document()) {
        // Attaching underlines the whole document once the event loop runs; detaching removes
        // the lines. Removing them reports a change of the editor's text, which must not come
        // back here.
        QTextDocument* previous = document();
        switching_ = true;
        FindVisibleBlocks();
        setDocument(target);
        // Detaching cleared every extra format of the old document, the links' too: the link
        // highlighting draws them again.
        if (previous && !target) {
            for (QSyntaxHighlighter* other : previous->findChildren<QSyntaxHighlighter*>()) {
                if (other != this) other->rehighlight();
            }
        }
        switching_ = false;
        return;
    }
    if (!target) return;
    engine_.Loaded();
    if (engine_.Generation() != generation_) {
        FindVisibleBlocks();
        rehighlight();
    }
}

bool TSpellHighlighter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &editor_ && (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::FocusIn)) {
        Refresh();
    }
    if (watched == viewport_ && event->type() == QEvent::Resize) CheckVisibleBlocks();
    return QSyntaxHighlighter::eventFilter(watched, event);
}

void TSpellHighlighter::FindVisibleBlocks() {
    const QWidget* viewport = editor_.viewport();
    const int top = editor_.cursorForPosition(QPoint(0, 0)).blockNumber();
    const int bottom = editor_.cursorForPosition(QPoint(viewport->width(), viewport->height())).blockNumber();
    firstVisible_ = std::max(0, top - kMarginBlocks);
    lastVisible_ = bottom + kMarginBlocks;
}

void TSpellHighlighter::CheckVisibleBlocks() {
    QTextDocument* doc = document();
    if (!doc || switching_) return;
    FindVisibleBlocks();
    for (QTextBlock block = doc->findBlockByNumber(firstVisible_); block.isValid() && block.blockNumber() <= lastVisible_;
         block = block.next()) {
        if (block.userState() != kChecked) rehighlightBlock(block);
    }
}

bool TSpellHighlighter::Misspelt(const QString& word) {
    if (auto it = misspelt_.constFind(word); it != misspelt_.cend()) return *it;
    if (misspelt_.size() >= kMaxRemembered) misspelt_.clear();
    const bool wrong = !engine_.Correct(word);
    misspelt_.insert(word, wrong);
    return wrong;
}

void TSpellHighlighter::highlightBlock(const QString& text) {
    const int number = currentBlock().blockNumber();
    if (number < firstVisible_ || number > lastVisible_) {
        setCurrentBlockState(kUnchecked);
        return;
    }
    setCurrentBlockState(kChecked);
    engine_.Loaded();
    if (engine_.Generation() != generation_) {
        misspelt_.clear();
        generation_ = engine_.Generation();
    }
    // A document keeps the formats of one highlighter only: the editor's links are drawn here as
    // its link highlighting draws them.
    for (const editor::LinkSpan& link : editor::FindLinks(text)) setFormat(link.start, link.length, link_);
    for (const WordSpan& span : CheckedWords(text)) {
        if (Misspelt(text.mid(span.start, span.length))) setFormat(span.start, span.length, underline_);
    }
}

}  // namespace jb::spelling
