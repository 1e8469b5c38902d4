#include "editor/link_overlay.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace jb::editor {
namespace {

bool EndsLink(QChar c) {
    return c.isSpace() || c == QChar::ObjectReplacementCharacter || c == QChar::ParagraphSeparator;
}

// Each scheme name with its colon, made once: the highlighter looks at every word start of
// every paragraph.
const QList<QString>& SchemePrefixes() {
    static const QList<QString> prefixes = [] {
        QList<QString> list;
        for (const char* scheme : kLinkSchemes) list.append(QString::fromLatin1(scheme) + QLatin1Char(':'));
        return list;
    }();
    return prefixes;
}

}  // namespace

QList<LinkSpan> FindLinks(const QString& paragraph) {
    QList<LinkSpan> links;
    if (!paragraph.contains(QLatin1Char(':'))) return links;  // every link has a colon
    const int n = static_cast<int>(paragraph.size());
    int i = 0;
    while (i < n) {
        bool found = false;
        // Every scheme name begins with a letter.
        if (paragraph[i].isLetter() && (i == 0 || !paragraph[i - 1].isLetterOrNumber())) {
            for (const QString& prefix : SchemePrefixes()) {
                if (QStringView(paragraph).mid(i).startsWith(prefix, Qt::CaseInsensitive)) {
                    int end = i + static_cast<int>(prefix.size());
                    while (end < n && !EndsLink(paragraph[end])) ++end;
                    links.append(LinkSpan{i, end - i});
                    i = end;
                    found = true;
                    break;
                }
            }
        }
        if (!found) ++i;
    }
    return links;
}

QString LinkAt(const QTextEdit& editor, int position) {
    if (position < 0) return {};
    const QTextBlock block = editor.document()->findBlock(position);
    if (!block.isValid()) return {};
    const QString text = block.text();
    const int inBlock = position - block.position();
    for (const LinkSpan& s : FindLinks(text)) {
        if (inBlock >= s.start && inBlock < s.start + s.length) return text.mid(s.start, s.length);
    }
    return {};
}

LinkHighlighter::LinkHighlighter(QTextDocument* doc) : QSyntaxHighlighter(doc) {}

void LinkHighlighter::highlightBlock(const QString& text) {
    QTextCharFormat link;
    link.setForeground(QColor(Qt::blue));
    link.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    for (const LinkSpan& s : FindLinks(text)) setFormat(s.start, s.length, link);
}

LinkClicks::LinkClicks(QTextEdit* editor)
    : QObject(editor),
      editor_(editor),
      viewport_(editor->viewport()),
      highlighter_(new LinkHighlighter(editor->document())) {
    editor_->viewport()->setMouseTracking(true);
    editor_->viewport()->installEventFilter(this);
}

void LinkClicks::FollowDocument() {
    if (highlighter_ && highlighter_->document() == editor_->document()) return;
    delete highlighter_;
    highlighter_ = new LinkHighlighter(editor_->document());
}

int LinkClicks::CharacterAt(QPoint viewportPos) const {
    const QPoint docPos = viewportPos + QPoint(editor_->horizontalScrollBar()->value(),
                                               editor_->verticalScrollBar()->value());
    const int hit = editor_->document()->documentLayout()->hitTest(docPos, Qt::ExactHit);
    if (hit < 0) return -1;
    // The hit is the nearest character boundary: left of it lies the previous character.
    QTextCursor c(editor_->document());
    c.setPosition(hit);
    if (viewportPos.x() < editor_->cursorRect(c).left()) return hit - 1;
    return hit < editor_->document()->characterCount() - 1 ? hit : -1;
}

void LinkClicks::UpdateCursorShape(QPoint viewportPos) {
    const bool overLink = !LinkAt(*editor_, CharacterAt(viewportPos)).isEmpty();
    editor_->viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

bool LinkClicks::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding_ || watched != viewport_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(event);
            pressedLink_.clear();
            if (m->button() == Qt::LeftButton) {
                pressedAt_ = m->position().toPoint();
                pressedLink_ = LinkAt(*editor_, CharacterAt(pressedAt_));
            }
            return false;
        }
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            // The editor handles the event first (it may set its own cursor shape or move the
            // caret); then the cursor shape and the click report follow.
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint at = m->position().toPoint();
            const bool release =
                event->type() == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton;
            forwarding_ = true;
            QCoreApplication::sendEvent(watched, event);
            forwarding_ = false;
            UpdateCursorShape(at);
            if (release && !pressedLink_.isEmpty()) {
                const QString link = pressedLink_;
                pressedLink_.clear();
                const bool click =
                    (at - pressedAt_).manhattanLength() < QApplication::startDragDistance();
                if (click && LinkAt(*editor_, CharacterAt(at)) == link) emit LinkClicked(link);
            }
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace jb::editor
