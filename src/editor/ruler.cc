#include "editor/ruler.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

namespace jb::editor {
namespace {

constexpr int kHalfMarker = 5;  // half the width of a marker triangle
constexpr int kMarkerDepth = 7;

}  // namespace

Ruler::Ruler(QWidget* parent) : QWidget(parent) {
    setObjectName("Ruler");
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize Ruler::sizeHint() const { return QSize(markers_.right + 2 * kMargin, kHeight); }

void Ruler::SetMarkers(const RulerMarkers& m) {
    markers_ = m;
    update();
}

int& Ruler::ValueOf(int marker) {
    return marker == kFirstMarker  ? markers_.first
           : marker == kLeftMarker ? markers_.left
                                   : markers_.right;
}

QRect Ruler::MarkerRect(Marker m) const {
    const int x = m == kFirstMarker  ? markers_.first
                  : m == kLeftMarker ? markers_.left
                                     : markers_.right;
    const int top = m == kFirstMarker ? 0 : height() - kMarkerDepth - 1;
    return QRect(x - kHalfMarker, top, 2 * kHalfMarker + 1, kMarkerDepth + 1);
}

void Ruler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect paper(kMargin, 3, width() - 2 * kMargin, height() - 6);
    p.fillRect(paper, palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::WindowText));
    // A tick every quarter inch (24 px), a longer one and the number every inch (96 px).
    for (int x = 0; kMargin + x < width() - kMargin; x += 24) {
        const int len = x % 96 == 0 ? 6 : 3;
        p.drawLine(kMargin + x, paper.center().y() - len / 2, kMargin + x,
                   paper.center().y() + len / 2);
        if (x % 96 == 0 && x > 0)
            p.drawText(kMargin + x + 2, paper.bottom() - 1, QString::number(x / 96));
    }
    p.setBrush(palette().color(QPalette::Button));
    for (Marker m : {kFirstMarker, kLeftMarker, kRightMarker}) {
        const QRect r = MarkerRect(m);
        const int x = r.center().x();
        QPolygon tri;
        if (m == kFirstMarker)
            tri << QPoint(r.left(), r.top()) << QPoint(r.right(), r.top()) << QPoint(x, r.bottom());
        else
            tri << QPoint(r.left(), r.bottom()) << QPoint(r.right(), r.bottom())
                << QPoint(x, r.top());
        p.drawPolygon(tri);
    }
}

void Ruler::mousePressEvent(QMouseEvent* e) {
    dragged_ = -1;
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    // Later markers win where markers overlap: left over first only in the lower half.
    for (Marker m : {kFirstMarker, kLeftMarker, kRightMarker}) {
        if (MarkerRect(m).adjusted(-1, 0, 1, 0).contains(at)) dragged_ = m;
    }
    if (dragged_ >= 0) dragStart_ = ValueOf(dragged_);
}

void Ruler::mouseMoveEvent(QMouseEvent* e) {
    if (dragged_ < 0) return;
    ValueOf(dragged_) =
        std::clamp(static_cast<int>(e->position().x()), 0, std::max(0, width() - 1));
    update();
}

void Ruler::mouseReleaseEvent(QMouseEvent* e) {
    if (dragged_ < 0 || e->button() != Qt::LeftButton) return;
    const int marker = dragged_;
    dragged_ = -1;
    ValueOf(marker) = std::clamp(static_cast<int>(e->position().x()), 0, std::max(0, width() - 1));
    update();
    if (ValueOf(marker) != dragStart_) emit IndentChanged(marker, ValueOf(marker));
}

RulerLink::RulerLink(QTextEdit* editor, Ruler* ruler, QObject* parent)
    : QObject(parent), editor_(editor), ruler_(ruler) {
    connect(ruler_, &Ruler::IndentChanged, this, &RulerLink::RulerIndentChange);
}

void RulerLink::SyncWithSelection() {
    QTextCursor c = editor_->textCursor();
    c.setPosition(c.selectionStart());
    ruler_->SetMarkers(MarkersForIndents(IndentsOf(c.blockFormat()), ruler_->width()));
}

void RulerLink::RulerIndentChange(int marker, int pixels) {
    const QTextCursor selection = editor_->textCursor();
    QTextCursor start = selection;
    start.setPosition(selection.selectionStart());
    const ParaIndents current = IndentsOf(start.blockFormat());
    ParaIndents wanted = current;
    switch (marker) {
        case Ruler::kFirstMarker:
            wanted.first = FirstIndentForMarker(pixels);
            wanted.left = LeftIndentForMarker(ruler_->LeftIndent(), wanted.first);
            break;
        case Ruler::kLeftMarker:
            wanted.left = LeftIndentForMarker(pixels, current.first);
            break;
        case Ruler::kRightMarker:
            wanted.right = RightIndentForMarker(pixels, ruler_->width());
            break;
        default:
            return;
    }
    // One undo step for all the paragraphs of the selection.
    QTextCursor edit(editor_->document());
    edit.beginEditBlock();
    QTextBlock block = editor_->document()->findBlock(selection.selectionStart());
    const QTextBlock last = editor_->document()->findBlock(selection.selectionEnd());
    while (block.isValid()) {
        ParaIndents p = IndentsOf(block.blockFormat());
        if (marker == Ruler::kRightMarker) {
            p.right = wanted.right;
        } else {
            p.first = wanted.first;
            p.left = wanted.left;
        }
        QTextBlockFormat f = block.blockFormat();
        SetIndents(f, p);
        edit.setPosition(block.position());
        edit.setBlockFormat(f);
        if (block == last) break;
        block = block.next();
    }
    edit.endEditBlock();
}

}  // namespace jb::editor
