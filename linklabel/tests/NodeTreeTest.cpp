#include "linklabel/NodeTree.h"
#include "base/SysUtils.h"
#include "linklabel/LinkLabelErrors.h"
#include "linklabel/Parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace linklabel {
namespace {

TEST(NodeTreeTest, NumbersEveryKindOfNode) {
    TNode plain;
    TStyleNode style(fsBold);
    TColorNode color(clRed);
    TLinkNode link(0, "");
    TDynamicNode dynamic(0);
    TRootNode root;
    TStringNode text("x");
    TActionNode action(atLineBreak);
    TUnknownNode unknown("x");
    EXPECT_EQ(plain.GetNodeType(), 0);
    EXPECT_EQ(style.GetNodeType(), 3);
    EXPECT_EQ(color.GetNodeType(), 4);
    EXPECT_EQ(link.GetNodeType(), 5);
    EXPECT_EQ(dynamic.GetNodeType(), 6);
    EXPECT_EQ(root.GetNodeType(), 7);
    EXPECT_EQ(text.GetNodeType(), 8);
    EXPECT_EQ(action.GetNodeType(), 9);
    EXPECT_EQ(unknown.GetNodeType(), 10);
    EXPECT_EQ(ntParentNode, 1);
    EXPECT_EQ(ntAreaNode, 2);
}

class TForeignNode : public TStringNode {
public:
    TForeignNode() : TStringNode("x") {}
};

TEST(NodeTreeTest, RaisesItsErrorsWhenUsedAgainstItsRules) {
    TElementEnumerator elements("a");
    elements.GetNextElement();
    TStringNode text("x");
    TNodeEnumerator nodes(text);
    nodes.GetNext();
    std::vector<TRect> rects;
    TRecordEnumerator<TRect> records(rects);
    TForeignNode foreign;

    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {errors::kNoMoreElements, [&] { elements.GetNextElement(); }},
        {errors::kNoMoreNodes, [&] { nodes.GetNext(); }},
        {errors::kNoMoreRecords, [&] { records.GetNext(); }},
        {errors::kWordInfoIndex, [&] { text.GetWordInfo(0); }},
        {errors::kUnknownClass, [&] { foreign.GetNodeType(); }},
    };
    for (const auto& [message, action] : cases) {
        SCOPED_TRACE(message);
        try {
            action();
            ADD_FAILURE() << "nothing raised";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    EXPECT_EQ(std::string(errors::kUnsupportedState), "TDefaultParser.ParseNode: Unsupported state");
    EXPECT_EQ(std::string(errors::kNoMoreWords), "TWordEnumerator.GetNext: No more words to return");
    EXPECT_EQ(std::string(errors::kUnsupportedTextElement),
              "TTextHandler.EmptyBuffer: Unsupported TParentTextElement descendant encountered");
}

TEST(NodeTreeTest, EnumeratesNodesParentsFirstAndByKind) {
    TDefaultParser parser;
    auto tree = parser.Parse("a<b>b<i>c</i></b><link>d</link>");
    std::string order;
    TNodeEnumerator all(tree->Root(), false);
    while (all.HasNext()) {
        order += std::to_string(all.GetNext().GetNodeType()) + ' ';
    }
    EXPECT_EQ(order, "8 3 8 3 8 5 8 ");
    std::string texts;
    TNodeEnumerator strings(tree->Root(), ntStringNode);
    while (strings.HasNext()) {
        texts += static_cast<TStringNode&>(strings.GetNext()).Text();
    }
    EXPECT_EQ(texts, "abcd");
}

// A caption laid out by hand: "go " then a link "here" inside bold, then a second link over two lines.
class TLinkLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TDefaultParser parser;
        FTree = parser.Parse("go <b><link=one>here</link></b> <link=two>next <i>line</i></link>");
        Text(0)->Rects = {{0, 0, 20, 10}};
        Text(1)->Rects = {{20, 0, 50, 10}};
        Text(2)->Rects = {{50, 0, 55, 10}};
        Text(3)->Rects = {{55, 0, 80, 10}};
        Text(4)->Rects = {{0, 10, 30, 20}};
        FTree->RebuildLinkRects();
    }
    TStringNode* Text(int index) {
        TNodeEnumerator strings(FTree->Root(), ntStringNode);
        for (int i = 0; i < index; ++i) {
            strings.GetNext();
        }
        return &static_cast<TStringNode&>(strings.GetNext());
    }
    std::unique_ptr<TNodeTree> FTree;
};

TEST_F(TLinkLookupTest, FindsTheLinkUnderAPointEdgesIncluded) {
    EXPECT_EQ(FTree->Root().LinkRects.size(), 3u);
    struct TCase {
        TPoint Point;
        int Link; // -1: none
    };
    const std::vector<TCase> cases = {
        {{10, 5}, -1}, {{20, 0}, 0},  {{35, 5}, 0},   {{50, 10}, 0}, {{52, 5}, -1}, {{60, 5}, 1},
        {{80, 10}, 1}, {{15, 15}, 1}, {{31, 15}, -1}, {{-1, 0}, -1}, {{0, 21}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Point.X << "," << c.Point.Y);
        EXPECT_EQ(FTree->IsOverLink(c.Point), c.Link >= 0);
        TLinkNode* link = FTree->GetLinkNodeAt(c.Point);
        EXPECT_EQ(link == nullptr ? -1 : link->LinkNumber(), c.Link);
    }
    // Points are taken in the control: the root's origin is subtracted first.
    FTree->Root().Origin = {100, 50};
    EXPECT_FALSE(FTree->IsOverLink({35, 5}));
    EXPECT_TRUE(FTree->IsOverLink({135, 55}));
    ASSERT_NE(FTree->GetLinkNodeAt({135, 55}), nullptr);
    EXPECT_EQ(FTree->GetLinkNodeAt({135, 55})->Param(), "one");
}

TEST_F(TLinkLookupTest, JoinsTheTextsOfALink) {
    EXPECT_EQ(TNodeTree::LinkText(*FTree->GetLinkNodeAt({60, 5})), "next line");
}

} // namespace
} // namespace linklabel
