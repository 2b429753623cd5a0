#include "linklabel/tests/TreeDescription.h"

#include "ui/linklabel/LinkLabel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <gtest/gtest.h>

#include <vector>

namespace linklabel {
namespace {

// Lays the label out and paints it; AutoHeight may resize it in the first paint, so paint until it is stable.
QImage Paint(TLinkLabel& label) {
    label.grab();
    return label.grab().toImage();
}

int CountPixels(const QImage& image, QColor color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                ++count;
            }
        }
    }
    return count;
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// The centre of the first drawn rectangle of a link, in the label.
QPoint LinkPoint(TLinkLabel& label, std::size_t index = 0) {
    const TRootNode& root = label.Tree().Root();
    const TRect& r = root.LinkRects.at(index);
    return {root.Origin.X + (r.Left + r.Right) / 2, root.Origin.Y + (r.Top + r.Bottom) / 2};
}

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);

TEST(LinkLabelTest, StartsWithItsDefaults) {
    TLinkLabel label;
    EXPECT_EQ(label.Caption(), "");
    EXPECT_EQ(label.Text(), QStringList());
    EXPECT_FALSE(label.Transparent());
    EXPECT_EQ(label.Layout(), tlTop);
    EXPECT_EQ(label.LinkColor(), 0xFF0000);
    EXPECT_EQ(label.LinkColorClicked(), 255);
    EXPECT_EQ(label.LinkColorHot(), 0x800080);
    EXPECT_EQ(label.LinkStyle(), TFontStyles(fsUnderline));
    EXPECT_EQ(label.LinkCursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(label.HotLinks());
    EXPECT_TRUE(label.AutoHeight());
    EXPECT_EQ(label.MarginWidth(), 0);
    EXPECT_EQ(label.MarginHeight(), 0);
    EXPECT_EQ(label.size(), QSize(160, 17));
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(label.OnLinkClick());
    EXPECT_EQ(label.Tree().Root().Color, clWindowText);
}

TEST(LinkLabelTest, ParsesEachNewCaptionAndTellsAboutIt) {
    TLinkLabel label;
    int changes = 0;
    label.SetOnCaptionChanged([&](TCustomLinkLabel* sender) {
        EXPECT_EQ(sender, &label);
        ++changes;
    });
    label.SetCaption("<link>a</link> <link=p>b</link>");
    EXPECT_EQ(testing::Describe(label.Tree().Root()), R"(link0()["a"] " " link1(p)["b"])");
    EXPECT_EQ(label.Text(), QStringList{"<link>a</link> <link=p>b</link>"});
    label.SetCaption("<link>a</link> <link=p>b</link>");
    EXPECT_EQ(changes, 1);

    // Numbering starts again with a new caption.
    label.SetCaption("<link>c</link>");
    EXPECT_EQ(testing::Describe(label.Tree().Root()), R"(link0()["c"])");
    EXPECT_EQ(changes, 2);

    label.SetText({"<b>one</b>", "two"});
    EXPECT_EQ(label.Caption(), "<b>one</b>\r\ntwo\r\n");
    EXPECT_EQ(label.Text(), (QStringList{"<b>one</b>", "two"}));
    EXPECT_EQ(testing::Describe(label.Tree().Root()), R"(b["one"] "two")");
    EXPECT_EQ(changes, 3);
}

TEST(LinkLabelTest, AsksForTheMarkupOfDynamicTags) {
    TLinkLabel label;
    std::vector<int> asked;
    label.SetOnDynamicTagInit([&](TCustomLinkLabel*, QString& source, int number) {
        asked.push_back(number);
        source = number == 0 ? "<b>42</b> files<dynamic>" : "";
    });
    label.SetCaption("You have <dynamic>.<dynamic>");
    EXPECT_EQ(testing::Describe(label.Tree().Root()), R"("You have " dyn0[b["42"] " files" dyn1[]] "." dyn2[])");
    EXPECT_EQ(asked, (std::vector<int>{0, 2}));
}

TEST(LinkLabelTest, GrowsToThreeLinesOfTextPlusItsMargins) {
    TLinkLabel label;
    const QFontMetrics metrics(label.font());
    label.resize(metrics.horizontalAdvance("mmmm") + 2, 17); // one word fits, two do not
    label.SetMarginHeight(4);
    label.SetCaption("mmmm mmmm mmmm");
    Paint(label);
    EXPECT_EQ(label.TextHeight(), 3 * metrics.height());
    EXPECT_EQ(label.height(), 3 * metrics.height() + 2 * 4);

    label.SetAutoHeight(false);
    label.SetCaption("mmmm");
    Paint(label);
    EXPECT_EQ(label.height(), 3 * metrics.height() + 2 * 4);

    // A height held by constraints cannot follow the text: the text is drawn in the height there is.
    TLinkLabel held;
    held.setMaximumHeight(metrics.height());
    held.resize(metrics.horizontalAdvance("mmmm") + 2, metrics.height());
    held.SetCaption("<link>mmmm mmmm mmmm</link>");
    EXPECT_GT(CountPixels(Paint(held), kBlue), 0);
    EXPECT_EQ(held.height(), metrics.height());
}

TEST(LinkLabelTest, MeasuresAgainWhenTheFontChanges) {
    TLinkLabel label;
    label.SetCaption("some words");
    Paint(label);
    auto& text = static_cast<TStringNode&>(*label.Tree().Root().Child(0));
    EXPECT_EQ(text.WordInfoCount(), 2u);
    const int narrow = text.GetWordInfo(0).TextWidth;

    QFont bigger = label.font();
    bigger.setPointSize(bigger.pointSize() * 2);
    bigger.setBold(true);
    label.setFont(bigger);
    EXPECT_EQ(text.WordInfoCount(), 0u);
    EXPECT_EQ(label.Tree().Root().Styles, TFontStyles(fsBold));
    Paint(label);
    EXPECT_GT(text.GetWordInfo(0).TextWidth, narrow);
}

struct TClickCase {
    const char* Caption;
    int Number;
    const char* Text;
    const char* Param;
};

TEST(LinkLabelTest, ShowsAPressedLinkAndReportsTheClickOnRelease) {
    const std::vector<TClickCase> cases = {
        {"<link>example</link>", 0, "example", ""},
        {"<link=abc>example</link>", 0, "example", "abc"},
        {"go <link=one>first</link> or <link=two>the <b>second</b></link>", 1, "the second", "two"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        TLinkLabel label;
        label.resize(300, 17);
        label.SetCaption(c.Caption);
        std::vector<std::tuple<int, QString, QString>> clicks;
        label.SetOnLinkClick([&](TCustomLinkLabel* sender, int number, const QString& text, const QString& param) {
            EXPECT_EQ(sender, &label);
            clicks.emplace_back(number, text, param);
        });
        EXPECT_GT(CountPixels(Paint(label), kBlue), 0);
        const QPoint at = LinkPoint(label, label.Tree().Root().LinkRects.size() - 1);

        SendMouse(label, QEvent::MouseButtonPress, at, Qt::LeftButton);
        ASSERT_NE(label.ActiveLink(), nullptr);
        EXPECT_EQ(label.ActiveLink()->State, lsClicked);
        const QImage pressed = label.grab().toImage();
        EXPECT_GT(CountPixels(pressed, kRed), 0);
        EXPECT_TRUE(clicks.empty());

        SendMouse(label, QEvent::MouseButtonRelease, at, Qt::LeftButton);
        ASSERT_EQ(clicks.size(), 1u);
        EXPECT_EQ(std::get<0>(clicks[0]), c.Number);
        EXPECT_EQ(std::get<1>(clicks[0]), c.Text);
        EXPECT_EQ(std::get<2>(clicks[0]), c.Param);
        EXPECT_EQ(label.ActiveLink(), nullptr);
        const QImage released = label.grab().toImage();
        EXPECT_EQ(CountPixels(released, kRed), 0);
        EXPECT_GT(CountPixels(released, kBlue), 0);
    }
}

TEST(LinkLabelTest, ReportsNothingWhenReleasedBesideTheLinks) {
    TLinkLabel label;
    label.resize(300, 17);
    label.SetCaption("<link>example</link> plain text");
    int clicks = 0;
    label.SetOnLinkClick([&](TCustomLinkLabel*, int, const QString&, const QString&) { ++clicks; });
    Paint(label);
    SendMouse(label, QEvent::MouseButtonPress, LinkPoint(label), Qt::LeftButton);
    SendMouse(label, QEvent::MouseButtonRelease, {250, 5}, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(label.ActiveLink(), nullptr);
}

TEST(LinkLabelTest, LightsLinksUnderTheMouseOnlyWithHotLinks) {
    for (const bool hotLinks : {false, true}) {
        SCOPED_TRACE(hotLinks ? "HotLinks on" : "HotLinks off");
        TLinkLabel label;
        label.resize(300, 17);
        label.SetHotLinks(hotLinks);
        label.SetCaption("<link>example</link> plain text");
        if (hotLinks) {
            label.setCursor(Qt::IBeamCursor); // a cursor of its own, given after the label was made
        }
        Paint(label);
        const Qt::CursorShape normalCursor = label.cursor().shape();

        SendMouse(label, QEvent::MouseMove, LinkPoint(label));
        EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
        const QImage over = label.grab().toImage();
        if (hotLinks) {
            ASSERT_NE(label.ActiveLink(), nullptr);
            EXPECT_EQ(label.ActiveLink()->State, lsHot);
            EXPECT_GT(CountPixels(over, kPurple), 0);
            EXPECT_EQ(CountPixels(over, kBlue), 0);
        } else {
            EXPECT_EQ(label.ActiveLink(), nullptr);
            EXPECT_EQ(CountPixels(over, kPurple), 0);
            EXPECT_GT(CountPixels(over, kBlue), 0);
        }

        SendMouse(label, QEvent::MouseMove, {250, 5});
        EXPECT_EQ(label.cursor().shape(), normalCursor);
        EXPECT_EQ(label.ActiveLink(), nullptr);
        EXPECT_EQ(CountPixels(label.grab().toImage(), kPurple), 0);

        // Leaving the control puts a hot link back to normal as well.
        SendMouse(label, QEvent::MouseMove, LinkPoint(label));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&label, &leave);
        EXPECT_EQ(label.ActiveLink(), nullptr);
    }
}

TEST(LinkLabelTest, KeepsAPressedLinkClickedWhileTheMouseMoves) {
    TLinkLabel label;
    label.resize(300, 17);
    label.SetHotLinks(true);
    label.SetCaption("<link>example</link> plain text");
    Paint(label);
    SendMouse(label, QEvent::MouseButtonPress, LinkPoint(label), Qt::LeftButton);
    SendMouse(label, QEvent::MouseMove, {250, 5});
    ASSERT_NE(label.ActiveLink(), nullptr);
    EXPECT_EQ(label.ActiveLink()->State, lsClicked);
}

TEST(LinkLabelTest, SurvivesAClickHandlerThatReplacesTheCaption) {
    TLinkLabel label;
    label.resize(300, 17);
    label.SetCaption("<link>example</link>");
    label.SetOnLinkClick([&](TCustomLinkLabel*, int, const QString&, const QString&) { label.SetCaption("done"); });
    Paint(label);
    SendMouse(label, QEvent::MouseButtonPress, LinkPoint(label), Qt::LeftButton);
    SendMouse(label, QEvent::MouseButtonRelease, LinkPoint(label), Qt::LeftButton);
    EXPECT_EQ(label.Caption(), "done");
    EXPECT_EQ(label.ActiveLink(), nullptr);
}

TEST(LinkLabelTest, PlacesTheTextByLayoutAndPaintsItsBackgroundUnlessTransparent) {
    TLinkLabel label;
    label.SetAutoHeight(false);
    label.resize(200, 60);
    label.SetMarginWidth(5);
    label.SetMarginHeight(3);
    label.SetCaption("text");
    label.SetColor(clLime);
    const QImage opaque = Paint(label);
    EXPECT_EQ(opaque.pixelColor(0, 0), QColor(0, 255, 0));
    const int textHeight = label.TextHeight();
    EXPECT_EQ(label.Tree().Root().Origin, (TPoint{5, 3}));

    label.SetLayout(tlCenter);
    Paint(label);
    EXPECT_EQ(label.Tree().Root().Origin, (TPoint{5, 3 + (54 - textHeight) / 2}));
    label.SetLayout(tlBottom);
    Paint(label);
    EXPECT_EQ(label.Tree().Root().Origin, (TPoint{5, 57 - textHeight}));

    label.SetTransparent(true);
    EXPECT_EQ(CountPixels(Paint(label), QColor(0, 255, 0)), 0);
}

} // namespace
} // namespace linklabel
