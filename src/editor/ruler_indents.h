#pragma once
// Paragraph indents in points and the ruler's marker positions in pixels, both ways. The two
// directions use different constants and are not exact inverses; every division truncates
// toward zero.

class QTextBlockFormat;

namespace jb::editor {

// A paragraph's indents in whole points: `first` is the first line's indent from the left
// margin, `left` the indent of the other lines relative to the first line, `right` the right
// indent.
struct ParaIndents {
    int first = 0;
    int left = 0;
    int right = 0;
    bool operator==(const ParaIndents&) const = default;
};

// Marker positions in ruler pixels: first-line, left and right marker.
struct RulerMarkers {
    int first = 0;
    int left = 0;
    int right = 0;
    bool operator==(const RulerMarkers&) const = default;
};

// Points to pixels (factor 4/3): first = trunc(F*4/3) + 2, left = trunc((F+L)*4/3) + 2,
// right = (width - 6) - trunc((R+6)*4/3), `rulerWidth` being the ruler's client width.
RulerMarkers MarkersForIndents(const ParaIndents& p, int rulerWidth);

// Pixels to points (factor 0.75).
int FirstIndentForMarker(int firstMarker);                        // trunc(m*0.75)
int LeftIndentForMarker(int leftMarker, int currentFirstIndent);  // trunc(m*0.75) - first
int RightIndentForMarker(int rightMarker, int rulerWidth);        // trunc((w-m-10)*0.75)

// The indents of a Qt paragraph format (Qt keeps them in pixels at 96 dpi, the first-line
// indent relative to the left margin), whole points truncated from twips as the stored page
// keeps them; and the format with the given indents.
ParaIndents IndentsOf(const QTextBlockFormat& f);
void SetIndents(QTextBlockFormat& f, const ParaIndents& p);

}  // namespace jb::editor
