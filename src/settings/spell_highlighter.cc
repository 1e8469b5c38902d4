#include "settings/spell_highlighter.h"

#include <QEvent>
#include <QTimer>
#include <QTextEdit>

#include "editor/link_overlay.h"
#include "settings/hunspell_engine.h"
#include "settings/spell_words.h"

namespace jb::settings_ui {

namespace {

// The answers kept; beyond this many distinct words they are forgotten and asked again.
constexpr qsizetype kMaxRemembered = 500000;

}  // namespace

TSpellHighlighter::TSpellHighlighter(QTextEdit& editor, HunspellEngine& engine, std::function<bool()> wanted)
    : QSyntaxHighlighter(static_cast<QObject*>(nullptr)), editor_(editor), engine_(engine), wanted_(std::move(wanted)) {
    setParent(&editor);
    setObjectName("SpellHighlighter");
    underline_.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline_.setUnderlineColor(Qt::red);
    editor.installEventFilter(this);
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
    if (engine_.Generation() != generation_) rehighlight();
}

bool TSpellHighlighter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &editor_ && (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::FocusIn)) {
        Refresh();
    }
    return QSyntaxHighlighter::eventFilter(watched, event);
}

bool TSpellHighlighter::Misspelt(const QString& word) {
    if (auto it = misspelt_.constFind(word); it != misspelt_.cend()) return *it;
    if (misspelt_.size() >= kMaxRemembered) misspelt_.clear();
    const bool wrong = !engine_.Correct(word);
    misspelt_.insert(word, wrong);
    return wrong;
}

void TSpellHighlighter::highlightBlock(const QString& text) {
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

}  // namespace jb::settings_ui
