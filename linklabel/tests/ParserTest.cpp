#include "TreeDescription.h"

#include "base/SysUtils.h"
#include "linklabel/LinkLabelColors.h"
#include "linklabel/Parser.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace linklabel {
namespace {

using testing::Describe;

std::string ParseToText(const std::string& caption) {
    TDefaultParser parser;
    return Describe(parser.Parse(caption)->Root());
}

struct TParseCase {
    const char* Caption;
    const char* Tree;
};

TEST(ParserTest, TurnsCaptionsIntoTrees) {
    const std::vector<TParseCase> cases = {
        // The tag table, in both letter cases.
        {"<b>x</b>", R"(b["x"])"},
        {"<B>x</B>", R"(b["x"])"},
        {"<i>x</i>", R"(i["x"])"},
        {"<I>x</I>", R"(i["x"])"},
        {"<u>x</u>", R"(u["x"])"},
        {"<U>x</U>", R"(u["x"])"},
        {"<color=clRed>x</color>", R"(color#0000FF["x"])"},
        {"<COLOR=CLRED>x</COLOR>", R"(color#0000FF["x"])"},
        {"<COLOR=$0000FF>x</COLOR>", R"(color#0000FF["x"])"},
        {"<color=255>x</color>", R"(color#0000FF["x"])"},
        {"<color=reddish>x</color>", R"(color#000000["x"])"},
        {"<color>x</color>", R"(color#000000["x"])"},
        {"<link>x</link>", R"(link0()["x"])"},
        {"<LINK>x</LINK>", R"(link0()["x"])"},
        {"<LINK=abc>x</LINK>", R"(link0(abc)["x"])"},
        {"<link=abc>x</link>", R"(link0(abc)["x"])"},
        {"<Link=>x</Link>", R"(link0()["x"])"},
        {"<link=a=b>x</link>", R"(link0(a=b)["x"])"},
        {"a<br>b", R"("a" br "b")"},
        {"a<BR>b", R"("a" br "b")"},
        {"a<p>b", R"("a" p "b")"},
        {"a<P>b", R"("a" p "b")"},
        {"a<dynamic>b", R"("a" dyn0[] "b")"},
        {"a<DYNAMIC>b", R"("a" dyn0[] "b")"},
        {"<bold>x</bold>y", R"(?bold "x")"},
        {"<b x>y", R"(?b x "y")"},
        // Scopes and closing tags.
        {"<b>a<i>b</i>c</b>d", R"(b["a" i["b"] "c"] "d")"},
        {"<b>a</x>b", R"(b["a"] "b")"},
        {"a</x>b", R"("a")"},
        {"</b>abc", ""},
        {"<b><i>x", R"(b[i["x"]])"},
        {"<link>a</link><link=p>b</link>", R"(link0()["a"] link1(p)["b"])"},
        {"<link>a<link>b</link>c</link>", R"(link0()["a" link1()["b"] "c"])"},
        // Entities, line ends, unterminated tags.
        {"&lt;b&gt;x&lt;/b&gt;", R"("<b>x</b>")"},
        {"&amp;lt;", R"("&amp;lt;")"},
        {"a\r\nb", R"("ab")"},
        {"a\rb", "\"a\rb\""},
        {"a\nb", "\"a\nb\""},
        {"a\n\r\n\rb", "\"a\n\rb\""},
        {"<b>a</b>\r\n<i>b</i>", R"(b["a"] i["b"])"},
        {"a<b", R"("a" ?)"},
        {"a<bx", R"("a" b[])"},
        {"a<brx", R"("a" br)"},
        {"a</", R"("a")"},
        {"<", "?"},
        {"a<>b", R"("a" ? "b")"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "caption: " << c.Caption);
        EXPECT_EQ(ParseToText(c.Caption), c.Tree);
    }
}

TEST(ParserTest, NumbersLinksFromZeroUntilTheCountersRestart) {
    TDefaultParser parser;
    EXPECT_EQ(Describe(parser.Parse("<link>a</link><link>b</link>")->Root()), R"(link0()["a"] link1()["b"])");
    EXPECT_EQ(Describe(parser.Parse("<link>c</link>")->Root()), R"(link2()["c"])");
    parser.ResetCounters();
    EXPECT_EQ(Describe(parser.Parse("<link>c</link><dynamic>")->Root()), R"(link0()["c"] dyn0[])");
}

class TRecordingHandler : public IDynamicNodeHandler {
public:
    std::map<int, std::string> Sources;
    std::vector<int> Asked;
    void DynamicTagInit(std::string& source, int number) override {
        Asked.push_back(number);
        EXPECT_TRUE(source.empty());
        if (auto it = Sources.find(number); it != Sources.end()) {
            source = it->second;
        }
    }
};

TEST(ParserTest, FillsDynamicTagsFromTheHandlerButNotInsideDynamicText) {
    TRecordingHandler handler;
    handler.Sources[0] = "<b>x</b> <link=in>y</link><dynamic>z</b>ignored";
    TDefaultParser parser;
    parser.SetDynamicNodeHandler(&handler);
    auto tree = parser.Parse("<link>a</link><dynamic><dynamic><link>c</link>");
    // The dynamic tag inside the dynamic text is numbered but never asked for, and stays empty; links keep
    // counting through the dynamic text, so each has its own number.
    EXPECT_EQ(Describe(tree->Root()), R"(link0()["a"] dyn0[b["x"] " " link1(in)["y"] dyn1[] "z"] dyn2[] link2()["c"])");
    EXPECT_EQ(handler.Asked, (std::vector<int>{0, 2}));

    // Nodes moved in from the dynamic text belong to the caption's tree.
    auto& dynamic = static_cast<TDynamicNode&>(*tree->Root().Child(1));
    EXPECT_EQ(dynamic.Child(0)->Root(), &tree->Root());
    EXPECT_EQ(dynamic.Child(0)->Parent(), &dynamic);
    EXPECT_EQ(static_cast<TParentNode&>(*dynamic.Child(0)).Child(0)->Root(), &tree->Root());

    TDefaultParser withoutHandler;
    EXPECT_EQ(Describe(withoutHandler.Parse("<dynamic>")->Root()), "dyn0[]");
}

TEST(ParserTest, FlattensNestingTooDeepToKeepWithoutLosingText) {
    const int levels = 5000;
    std::string caption;
    for (int i = 0; i < levels; ++i) {
        caption += "<b>";
    }
    caption += "deep";
    for (int i = 0; i < levels; ++i) {
        caption += "</b>";
    }
    caption += "after";
    TDefaultParser parser;
    auto tree = parser.Parse(caption);

    std::size_t depth = 0;
    const TNode* node = &tree->Root();
    while (auto* parent = dynamic_cast<const TParentNode*>(node)) {
        ASSERT_GT(parent->ChildCount(), 0u);
        node = parent->Child(0);
        ++depth;
    }
    EXPECT_LE(depth, TDefaultParser::kMaxDepth + 1);
    EXPECT_EQ(static_cast<const TStringNode*>(node)->Text(), "deep");
    // Every closing tag closed one scope, flattened or not, so the text after them is at the top again.
    ASSERT_EQ(tree->Root().ChildCount(), 2u);
    EXPECT_EQ(Describe(*tree->Root().Child(1)), R"("after")");
}

// Entities and line ends are replaced in one pass, however many there are.
TEST(ParserTest, ReadsAHugeTextOfEntitiesAndLineEnds) {
    const std::size_t count = std::size_t(1) << 20;
    std::string caption;
    for (std::size_t i = 0; i < count; ++i) {
        caption += "&lt;\r\n&gt;";
    }
    TDefaultParser parser;
    auto tree = parser.Parse(caption);
    ASSERT_EQ(tree->Root().ChildCount(), 1u);
    const std::string& text = static_cast<const TStringNode&>(*tree->Root().Child(0)).Text();
    ASSERT_EQ(text.size(), 2 * count);
    EXPECT_EQ(text.find_first_not_of("<>"), std::string::npos);
    EXPECT_EQ(text.substr(0, 4), "<><>");
}

TEST(ColorTest, ConvertsNamesAndIntegersAndGivesBlackForAnythingElse) {
    const std::vector<std::pair<const char*, TColor>> cases = {
        {"clRed", 0x0000FF},
        {"CLRED", 0x0000FF},
        {"clBlue", 0xFF0000},
        {"clMoneyGreen", 0xC0DCC0},
        {"clSkyBlue", 0xF0CAA6},
        {"clCream", 0xF0FBFF},
        {"clMedGray", 0xA4A0A0},
        {"clNone", 0x1FFFFFFF},
        {"clDefault", 0x20000000},
        {"clWindowText", static_cast<TColor>(0xFF000008u)},
        {"clBtnFace", static_cast<TColor>(0xFF00000Fu)},
        {"clHighlight", static_cast<TColor>(0xFF00000Du)},
        {"clMenuBar", static_cast<TColor>(0xFF00001Eu)},
        {"255", 255},
        {"-1", -1},
        {"+16", 16},
        {"$FF", 255},
        {"$ff0000", 0xFF0000},
        {"$FF000008", clWindowText},
        {"2147483647", 0x7FFFFFFF},
        {"-2147483648", static_cast<TColor>(0x80000000u)},
        {"2147483648", 0},
        {"$100000000", 0},
        {"", 0},
        {"$", 0},
        {"-", 0},
        {"12x", 0},
        {" 12", 0},
        {"0x10", 0},
        {"clRedd", 0},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ColorFromString(text), expected);
    }
    EXPECT_EQ(ColorToRGB(clRed), 0xFF0000u);
    EXPECT_EQ(ColorToRGB(clBlue), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000u);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
}

} // namespace
} // namespace linklabel
