#pragma once
// The ruler above the page editor: a scale between margins of 5 pixels, and three indent markers
// (first-line at the top, left and right at the bottom) that the user drags. RulerLink binds a
// ruler to an editor: the markers follow the selection's paragraph, and a drag sets the
// indents of the selected paragraphs.

#include <QObject>
#include <QWidget>

#include "editor/ruler_indents.h"

class QTextEdit;

namespace jb::editor {

class Ruler : public QWidget {
    Q_OBJECT
  public:
    enum Marker { kFirstMarker = 0, kLeftMarker = 1, kRightMarker = 2 };
    static constexpr int kMargin = 5;
    static constexpr int kHeight = 24;

    explicit Ruler(QWidget* parent = nullptr);  // objectName "Ruler"; indents 0, 0, 615

    int FirstIndent() const { return markers_.first; }
    int LeftIndent() const { return markers_.left; }
    int RightIndent() const { return markers_.right; }
    // Sets the markers (pixels from the ruler's left edge) without reporting a drag.
    void SetMarkers(const RulerMarkers& m);
    RulerMarkers Markers() const { return markers_; }
    // Where a marker is drawn and grabbed, in ruler coordinates.
    QRect MarkerRect(Marker m) const;

    QSize sizeHint() const override;

  signals:
    // A marker was dragged and let go at a new position (pixels).
    void IndentChanged(int marker, int pixels);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    int& ValueOf(int marker);

    RulerMarkers markers_{0, 0, 615};
    int dragged_ = -1;
    int dragStart_ = 0;
};

class RulerLink : public QObject {
    Q_OBJECT
  public:
    // Neither widget is owned. Connects the ruler's drag reports to RulerIndentChange.
    RulerLink(QTextEdit* editor, Ruler* ruler, QObject* parent = nullptr);

    // The markers from the paragraph at the selection start.
    void SyncWithSelection();
    // A marker dragged to `pixels`: the indents of the selected paragraphs change; the
    // paragraph at the selection start supplies the current first-line indent.
    void RulerIndentChange(int marker, int pixels);

  private:
    QTextEdit* editor_;
    Ruler* ruler_;
};

}  // namespace jb::editor
