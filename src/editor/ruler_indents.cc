#include "editor/ruler_indents.h"

#include <QTextBlockFormat>
#include <cmath>

namespace jb::editor {
namespace {

// Qt pixels (96 dpi) hold 15 twips, a point 20.
int PointsOfPixels(double pixels) { return static_cast<int>(std::lround(pixels * 15.0)) / 20; }
double PixelsOfPoints(int points) { return points * 20 / 15.0; }

}  // namespace

RulerMarkers MarkersForIndents(const ParaIndents& p, int rulerWidth) {
    return RulerMarkers{p.first * 4 / 3 + 2, (p.first + p.left) * 4 / 3 + 2,
                        (rulerWidth - 6) - (p.right + 6) * 4 / 3};
}

int FirstIndentForMarker(int firstMarker) { return firstMarker * 3 / 4; }

int LeftIndentForMarker(int leftMarker, int currentFirstIndent) {
    return leftMarker * 3 / 4 - currentFirstIndent;
}

int RightIndentForMarker(int rightMarker, int rulerWidth) {
    return (rulerWidth - rightMarker - 10) * 3 / 4;
}

ParaIndents IndentsOf(const QTextBlockFormat& f) {
    // The first line starts at leftMargin + textIndent; the others at leftMargin.
    return ParaIndents{PointsOfPixels(f.leftMargin() + f.textIndent()),
                       PointsOfPixels(-f.textIndent()), PointsOfPixels(f.rightMargin())};
}

void SetIndents(QTextBlockFormat& f, const ParaIndents& p) {
    f.setLeftMargin(PixelsOfPoints(p.first + p.left));
    f.setTextIndent(PixelsOfPoints(-p.left));
    f.setRightMargin(PixelsOfPoints(p.right));
}

}  // namespace jb::editor
