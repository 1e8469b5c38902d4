// The ruler: the conversions between paragraph indents (points) and marker positions (pixels),
// and a drag of a marker setting the selected paragraphs' indents.

#include "editor/ruler.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest/QTest>
#include <memory>

#include "editor/editor_app.h"

namespace jb::editor {
namespace {

TEST(RulerConversions, IndentsToMarkers) {
    const struct {
        ParaIndents indents;
        int width;
        RulerMarkers markers;
    } rows[] = {
        {{0, 0, 0}, 629, {2, 2, 615}},
        {{0, 0, 0}, 400, {2, 2, 386}},
        {{3, 0, 0}, 629, {6, 6, 615}},  // first-line 3 pt shows at 6 px
        {{3, -3, 0}, 629, {6, 2, 615}},
        {{76, 0, 0}, 629, {103, 103, 615}},  // 101.33 truncated
        {{0, 76, 0}, 629, {2, 103, 615}},
        {{1, 1, 1}, 629, {3, 4, 614}},    // 1.33, 2.67 and 9.33 truncated
        {{-1, 0, -7}, 629, {1, 1, 624}},  // -1.33 and -1.33 truncated toward zero
        {{0, 0, 72}, 629, {2, 2, 519}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(MarkersForIndents(r.indents, r.width), r.markers)
            << r.indents.first << "," << r.indents.left << "," << r.indents.right << " width "
            << r.width;
    }
}

TEST(RulerConversions, MarkersToIndents) {
    // first-line marker -> first-line indent
    const std::pair<int, int> first[] = {{0, 0},    {2, 1},   {6, 4},  {102, 76},
                                         {103, 77}, {-5, -3}, {-4, -3}};
    for (auto [px, pt] : first) EXPECT_EQ(FirstIndentForMarker(px), pt) << px;
    // left marker and current first-line indent -> left indent
    const std::tuple<int, int, int> left[] = {
        {102, 0, 76}, {102, 3, 73}, {2, 0, 1}, {2, 3, -2}, {-5, 0, -3}};
    for (auto [px, firstPt, pt] : left)
        EXPECT_EQ(LeftIndentForMarker(px, firstPt), pt) << px << "," << firstPt;
    // right marker and ruler width -> right indent
    const std::tuple<int, int, int> right[] = {{615, 629, 3},  {619, 629, 0},  {620, 629, 0},
                                               {625, 629, -4}, {500, 629, 89}, {386, 400, 3}};
    for (auto [px, width, pt] : right)
        EXPECT_EQ(RightIndentForMarker(px, width), pt) << px << "," << width;
}

TEST(RulerConversions, QtParagraphFormatRoundTrip) {
    // Qt pixels hold 3/4 of a point; the left indent is relative to the first line.
    QTextBlockFormat f;
    f.setTextIndent(4);  // the first line 3 pt further in than the others
    f.setLeftMargin(0);
    f.setRightMargin(96);  // 72 pt
    EXPECT_EQ(IndentsOf(f), (ParaIndents{3, -3, 72}));
    for (const ParaIndents& p : {ParaIndents{0, 0, 0}, ParaIndents{0, 76, 0},
                                 ParaIndents{10, -4, 3}, ParaIndents{-5, 20, -1}}) {
        QTextBlockFormat g;
        SetIndents(g, p);
        EXPECT_EQ(IndentsOf(g), p) << p.first << "," << p.left << "," << p.right;
    }
    QTextBlockFormat hanging;
    SetIndents(hanging, ParaIndents{0, 76, 0});
    EXPECT_NEAR(hanging.leftMargin() + hanging.textIndent(), 0.0, 1e-9);
    EXPECT_NEAR(hanging.leftMargin(), 76 * 4 / 3.0, 1e-9);
}

class RulerWidget : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }

    void SetUp() override {
        editor = std::make_unique<QTextEdit>();
        ruler = std::make_unique<Ruler>();
        ruler->resize(629, Ruler::kHeight);
        link = std::make_unique<RulerLink>(editor.get(), ruler.get());
        QTextCursor c(editor->document());
        c.insertText("first paragraph");
        c.insertBlock();
        c.insertText("second paragraph");
        c.insertBlock();
        c.insertText("third paragraph");
    }

    QTextBlock Block(int n) {
        QTextBlock b = editor->document()->begin();
        while (n-- > 0) b = b.next();
        return b;
    }

    void Select(int from, int to) {
        QTextCursor c = editor->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor->setTextCursor(c);
    }

    void Drag(Ruler::Marker m, int toX) {
        const QRect r = ruler->MarkerRect(m);
        const QPoint from(r.center().x(), m == Ruler::kFirstMarker ? r.top() + 1 : r.bottom() - 1);
        QTest::mousePress(ruler.get(), Qt::LeftButton, {}, from);
        QTest::mouseRelease(ruler.get(), Qt::LeftButton, {}, QPoint(toX, from.y()));
    }

    std::unique_ptr<QTextEdit> editor;
    std::unique_ptr<Ruler> ruler;
    std::unique_ptr<RulerLink> link;
};

TEST_F(RulerWidget, StartsWithItsInitialIndents) {
    Ruler fresh;
    EXPECT_EQ(fresh.objectName(), "Ruler");
    EXPECT_EQ(fresh.Markers(), (RulerMarkers{0, 0, 615}));
}

TEST_F(RulerWidget, MarkersFollowTheParagraphAtTheSelectionStart) {
    link->SyncWithSelection();
    EXPECT_EQ(ruler->Markers(), (RulerMarkers{2, 2, 615}));
    QTextBlockFormat f;
    f.setTextIndent(4);
    QTextCursor(Block(1)).setBlockFormat(f);
    Select(Block(1).position() + 2, Block(2).position() + 2);
    link->SyncWithSelection();
    EXPECT_EQ(ruler->Markers(), (RulerMarkers{6, 2, 615}));
}

TEST_F(RulerWidget, DraggingTheLeftMarkerSetsTheLeftIndent) {
    Select(1, 1);
    link->SyncWithSelection();
    QList<std::pair<int, int>> reports;
    QObject::connect(ruler.get(), &Ruler::IndentChanged, [&](int m, int px) {
        reports.append({m, px});
    });
    Drag(Ruler::kLeftMarker, 102);
    EXPECT_EQ(reports, (QList<std::pair<int, int>>{{Ruler::kLeftMarker, 102}}));
    EXPECT_EQ(IndentsOf(Block(0).blockFormat()), (ParaIndents{0, 76, 0}));
    EXPECT_EQ(IndentsOf(Block(1).blockFormat()), (ParaIndents{0, 0, 0}));
    // One undo step takes it back.
    editor->undo();
    EXPECT_EQ(IndentsOf(Block(0).blockFormat()), (ParaIndents{0, 0, 0}));
}

TEST_F(RulerWidget, DraggingTheFirstLineMarkerKeepsTheOtherLinesAtTheLeftMarker) {
    Select(Block(1).position(), Block(2).position() + 1);  // the second and third paragraphs
    link->SyncWithSelection();
    Drag(Ruler::kFirstMarker, 42);  // 31.5 pt: 31; the left marker stays at 2: 1 - 31
    for (int b : {1, 2})
        EXPECT_EQ(IndentsOf(Block(b).blockFormat()), (ParaIndents{31, -30, 0})) << b;
    EXPECT_EQ(IndentsOf(Block(0).blockFormat()), (ParaIndents{0, 0, 0}));
}

TEST_F(RulerWidget, DraggingTheRightMarkerSetsTheRightIndent) {
    Select(1, 1);
    link->SyncWithSelection();
    Drag(Ruler::kRightMarker, 500);
    EXPECT_EQ(IndentsOf(Block(0).blockFormat()), (ParaIndents{0, 0, 89}));
    link->SyncWithSelection();
    EXPECT_EQ(ruler->RightIndent(), (629 - 6) - (89 + 6) * 4 / 3);
}

TEST_F(RulerWidget, APressAndReleaseInPlaceReportsNothing) {
    Select(1, 1);
    link->SyncWithSelection();
    int reports = 0;
    QObject::connect(ruler.get(), &Ruler::IndentChanged, [&] { ++reports; });
    Drag(Ruler::kRightMarker, ruler->RightIndent());
    QTest::mousePress(ruler.get(), Qt::LeftButton, {}, QPoint(300, 12));  // no marker there
    QTest::mouseRelease(ruler.get(), Qt::LeftButton, {}, QPoint(200, 12));
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(ruler->Markers(), (RulerMarkers{2, 2, 615}));
}

}  // namespace
}  // namespace jb::editor
