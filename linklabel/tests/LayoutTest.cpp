#include "FakeCanvas.h"

#include "base/SysUtils.h"
#include "linklabel/LinkLabelErrors.h"
#include "linklabel/Parser.h"
#include "linklabel/Renderer.h"
#include "linklabel/TextHandler.h"

#include <gtest/gtest.h>

#include <ostream>

namespace linklabel::testing {

void PrintTo(const TFakeCanvas::TDrawn& d, std::ostream* os) {
    *os << "(" << d.X << "," << d.Y << " \"" << d.Text << "\" style " << d.Styles << " colour " << std::hex << d.Color
        << std::dec << ")";
}

namespace {

using TDrawn = TFakeCanvas::TDrawn;

struct TLaidOut {
    std::unique_ptr<TNodeTree> Tree;
    TFakeCanvas Canvas;
    TDefaultRenderer Renderer;
    int TextHeight = 0;
};

// Lays out a caption in a rectangle `right` pixels wide, the way the control does: origin (0, 0).
std::unique_ptr<TLaidOut> LayOut(const std::string& caption, int right) {
    auto result = std::make_unique<TLaidOut>();
    TDefaultParser parser;
    result->Tree = parser.Parse(caption);
    result->Tree->Root().Color = clBlack;
    result->Renderer.RenderTree(result->Canvas, {0, 0, right, 1000}, *result->Tree);
    result->TextHeight = result->Renderer.GetTextHeight();
    return result;
}

TEST(LayoutTest, MovesAWordThatDoesNotFitToTheNextLine) {
    auto fits = LayOut("aaaa bbbb cccc", 141); // 140 pixels of text: the right edge itself is no longer inside
    EXPECT_EQ(fits->Canvas.Drawn, (std::vector<TDrawn>{{0, 0, "aaaa bbbb cccc", 0, clBlack}}));
    EXPECT_EQ(fits->TextHeight, 12);

    auto wraps = LayOut("aaaa bbbb cccc", 140);
    EXPECT_EQ(wraps->Canvas.Drawn, (std::vector<TDrawn>{{0, 0, "aaaa bbbb", 0, clBlack}, {0, 12, "cccc", 0, clBlack}}));
    EXPECT_EQ(wraps->TextHeight, 24);

    // The rectangles recorded with the string leave out the space before the break.
    auto oneString = LayOut("<b>aa bb cc dd</b>", 80);
    EXPECT_EQ(oneString->Canvas.Drawn,
              (std::vector<TDrawn>{{0, 0, "aa bb", fsBold, clBlack}, {0, 12, "cc dd", fsBold, clBlack}}));
    const auto& rects =
        static_cast<TStringNode&>(*static_cast<TParentNode&>(*oneString->Tree->Root().Child(0)).Child(0)).Rects;
    EXPECT_EQ(rects, (std::vector<TRect>{{0, 0, 60, 12}, {0, 12, 60, 24}}));
}

TEST(LayoutTest, KeepsAnOverWideWordWhereItStartsInsteadOfLeavingALineEmpty) {
    auto single = LayOut("wwwwwwwwww", 30);
    EXPECT_EQ(single->Canvas.Drawn, (std::vector<TDrawn>{{0, 0, "wwwwwwwwww", 0, clBlack}}));
    EXPECT_EQ(single->TextHeight, 12);

    auto two = LayOut("wwwwwwwwww vvvvvvvvvv", 30);
    EXPECT_EQ(two->Canvas.Drawn,
              (std::vector<TDrawn>{{0, 0, "wwwwwwwwww", 0, clBlack}, {0, 12, "vvvvvvvvvv", 0, clBlack}}));
    EXPECT_EQ(two->TextHeight, 24);
}

TEST(LayoutTest, WrapsAWordOfDifferentlyStyledPiecesAsOneWord) {
    // "ab" in bold (24) and "cd" (20) would fit on their own: 70 + 24 < 100, but not together.
    auto laidOut = LayOut("xxxxxx <b>ab</b>cd", 100);
    EXPECT_EQ(laidOut->Canvas.Drawn,
              (std::vector<TDrawn>{
                  {0, 0, "xxxxxx ", 0, clBlack}, {0, 12, "ab", fsBold, clBlack}, {24, 12, "cd", 0, clBlack}}));
    // A space at the joint makes two words again.
    auto apart = LayOut("xxxxxx <b>ab</b> cd", 100);
    EXPECT_EQ(apart->Canvas.Drawn[1], (TDrawn{70, 0, "ab", fsBold, clBlack}));
    // Every piece of the word counts, the last one too: 70 + 12 + 10 + 10 no longer fits.
    auto threePieces = LayOut("xxxxxx <b>a</b>b<i>c</i> d", 100);
    EXPECT_EQ(threePieces->Canvas.Drawn, (std::vector<TDrawn>{{0, 0, "xxxxxx ", 0, clBlack},
                                                              {0, 12, "a", fsBold, clBlack},
                                                              {12, 12, "b", 0, clBlack},
                                                              {22, 12, "c", fsItalic, clBlack},
                                                              {32, 12, " d", 0, clBlack}}));
}

TEST(LayoutTest, BreaksLinesAndParagraphs) {
    auto laidOut = LayOut("a<br>b<p>c", 100);
    EXPECT_EQ(laidOut->Canvas.Drawn,
              (std::vector<TDrawn>{{0, 0, "a", 0, clBlack}, {0, 12, "b", 0, clBlack}, {0, 36, "c", 0, clBlack}}));
    EXPECT_EQ(laidOut->TextHeight, 48);
}

TEST(LayoutTest, DrawsLinksAndColoursInTheirColours) {
    auto laidOut = LayOut("<color=clRed>r <link>l <color=clLime>g</color></link></color><i><link>x</link></i>", 1000);
    EXPECT_EQ(laidOut->Canvas.Drawn, (std::vector<TDrawn>{{0, 0, "r ", 0, clRed},
                                                          {20, 0, "l ", fsUnderline, clBlue},
                                                          {40, 0, "g", fsUnderline, clLime},
                                                          {50, 0, "x", fsItalic | fsUnderline, clBlue}}));
    EXPECT_EQ(laidOut->Tree->Root().LinkRects, (std::vector<TRect>{{20, 0, 40, 12}, {40, 0, 50, 12}, {50, 0, 60, 12}}));
}

TEST(LayoutTest, MeasuresWordsOncePerStringNodeUntilTheMeasurementsAreDiscarded) {
    auto laidOut = LayOut("one two <b>three</b>four five", 60);
    EXPECT_GT(laidOut->Canvas.WidthCalls, 0);
    const auto first = laidOut->Canvas.Drawn;
    EXPECT_EQ(laidOut->Canvas.Measured["two "], 1);

    TFakeCanvas again;
    laidOut->Renderer.RenderTree(again, {0, 0, 60, 1000}, *laidOut->Tree);
    EXPECT_EQ(again.WidthCalls, 0);
    EXPECT_EQ(again.Drawn, first);

    laidOut->Tree->DiscardWordInfos(); // what the control does when its font changes
    TFakeCanvas afterFontChange;
    laidOut->Renderer.RenderTree(afterFontChange, {0, 0, 60, 1000}, *laidOut->Tree);
    EXPECT_EQ(afterFontChange.Measured["two "], 1);
    EXPECT_EQ(afterFontChange.Drawn, first);

    // A word of many pieces: each piece is measured a few times, not once more for every piece before it.
    const int pieces = 2000;
    std::string word;
    for (int i = 0; i < pieces; ++i) {
        word += "<b>a</b>";
    }
    auto longWord = LayOut(word, 60);
    EXPECT_LE(longWord->Canvas.WidthCalls, 4 * pieces);
    ASSERT_FALSE(longWord->Canvas.Drawn.empty());
    EXPECT_EQ(longWord->Canvas.Drawn.back().Y, 0); // one word: it never wraps
}

// Drawing one link again (its state changed) puts every piece exactly where the whole layout put it.
TEST(LayoutTest, DrawsALinkAgainInPlaceInItsNewState) {
    struct TCase {
        const char* Caption;
        int Right;
    };
    const std::vector<TCase> cases = {
        {"see <link>here</link> now", 200},
        {"see the <b><link=x>long link text</link></b> here", 80},
        {"ab<link>cd</link>ef gh", 50},
        {"xxxxxx ab<link>cd <i>e</i>f</link>gh ij", 100},
        {"a<br><link>one<p>two three</link>", 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        auto laidOut = LayOut(c.Caption, c.Right);
        TNodeEnumerator links(laidOut->Tree->Root(), ntLinkNode);
        auto& link = static_cast<TLinkNode&>(links.GetNext());
        const TRect area{0, 0, c.Right, 1000};

        // Each caption has one link and no other blue text.
        std::vector<TDrawn> expected;
        for (const auto& drawn : laidOut->Canvas.Drawn) {
            if (drawn.Color == clBlue) {
                expected.push_back({drawn.X, drawn.Y, drawn.Text, drawn.Styles, clRed});
            }
        }
        ASSERT_FALSE(expected.empty());
        const auto rectsBefore = laidOut->Tree->Root().LinkRects;

        link.State = lsClicked;
        TFakeCanvas redraw;
        laidOut->Renderer.RenderNode(redraw, area, link);
        EXPECT_EQ(redraw.Drawn, expected);
        EXPECT_EQ(redraw.WidthCalls, 0);
        laidOut->Tree->RebuildLinkRects();
        EXPECT_EQ(laidOut->Tree->Root().LinkRects, rectsBefore);
    }
}

TEST(LayoutTest, SplitsWordsAfterTheirSpace) {
    const std::string text = "ab cd  ef";
    TWordEnumerator words(text);
    std::vector<std::string> found;
    while (words.HasNext()) {
        found.push_back(words.GetNext());
    }
    EXPECT_EQ(found, (std::vector<std::string>{"ab ", "cd ", " ", "ef"}));
    try {
        words.GetNext();
        ADD_FAILURE() << "nothing raised";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), errors::kNoMoreWords);
    }
}

} // namespace
} // namespace linklabel::testing
