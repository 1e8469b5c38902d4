#pragma once
// Links in the page editor, recognised without changing the document: a text that begins with
// one of the scheme names and a colon, at the start of a word, up to the first white space.
// LinkHighlighter shows links blue and underlined (an overlay of the layout, not a format of
// the text); LinkClicks gives the editor's viewport a hand cursor over a link and reports a
// click (a press and a release close together, not a drag) with the link's text.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QString>
#include <QSyntaxHighlighter>

class QTextEdit;

namespace jb::editor {

// The scheme names a link begins with.
inline constexpr const char* kLinkSchemes[] = {"e-mail",   "http",   "file",   "mailto",
                                               "ftp",      "https",  "gopher", "nntp",
                                               "prospero", "telnet", "news",   "wais"};

struct LinkSpan {
    int start = 0;  // in the paragraph's text
    int length = 0;
    bool operator==(const LinkSpan&) const = default;
};

// The links of one paragraph's text, in order. A link starts where a scheme name followed by
// ":" begins (letter case ignored) and no letter or digit comes just before; it ends at the
// first white space, object or end of the paragraph.
QList<LinkSpan> FindLinks(const QString& paragraph);

// The text of the link at document position `position` (the character there), or empty.
QString LinkAt(const QTextEdit& editor, int position);

class LinkHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    explicit LinkHighlighter(QTextDocument* doc);

  protected:
    void highlightBlock(const QString& text) override;
};

class LinkClicks : public QObject {
    Q_OBJECT
  public:
    // Installs itself on the editor's viewport and a LinkHighlighter on its document. Not owned.
    explicit LinkClicks(QTextEdit* editor);

    // The document position of the character under a viewport point, or -1.
    int CharacterAt(QPoint viewportPos) const;
    // Moves the link highlighting to the editor's current document, after the editor was given
    // another document.
    void FollowDocument();

  signals:
    // A link was clicked; the window passes the text on to EditBoxURLClick.
    void LinkClicked(const QString& link);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void UpdateCursorShape(QPoint viewportPos);

    QTextEdit* editor_;
    // The editor's viewport, whose events the filter watches. Kept from the start, because the
    // viewport's last events arrive while the editor is being destroyed, when no member of the
    // editor may be called any more.
    const QObject* viewport_;
    QPointer<LinkHighlighter> highlighter_;  // goes with the document it highlights
    QString pressedLink_;
    QPoint pressedAt_;
    bool forwarding_ = false;
};

}  // namespace jb::editor
