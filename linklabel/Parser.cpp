#include "linklabel/Parser.h"

#include "base/SysUtils.h"
#include "linklabel/LinkLabelErrors.h"

#include <array>
#include <string_view>
#include <vector>

namespace linklabel {

namespace {

enum TTagIndex : int {
    tiBold = 0,
    tiItalic = 1,
    tiUnderline = 2,
    tiColor = 3,
    tiLink = 4,
    tiLineBreak = 5,
    tiParagraph = 6,
    tiDynamic = 7,
};

constexpr std::array<std::string_view, 8> kTags{"B", "I", "U", "COLOR=", "LINK=", "BR", "P", "DYNAMIC"};

std::string UpperCaseAnsi(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return text;
}

// Builds the result as it goes: replacing in place would move the rest of the text for every match.
std::string ReplaceAll(const std::string& text, std::string_view what, std::string_view with) {
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(what, from)) != std::string::npos; from = at + what.size()) {
        result.append(text, from, at - from);
        result.append(with);
    }
    result.append(text, from);
    return result;
}

// The text after the first "=" of a tag; empty when there is none.
std::string ValueOfTag(const std::string& tag) {
    const std::size_t equals = tag.find('=');
    return equals == std::string::npos ? std::string() : tag.substr(equals + 1);
}

bool OpensScope(const TNode& node) {
    const TNodeType type = node.GetNodeType();
    return type == ntStyleNode || type == ntColorNode || type == ntLinkNode;
}

} // namespace

TElementKind TElementEnumerator::PeekKind() const {
    if (FText[FPosition] != '<') {
        return ekText;
    }
    return FPosition + 1 < FText.size() && FText[FPosition + 1] == '/' ? ekClosingTag : ekOpeningTag;
}

TElement TElementEnumerator::GetNextElement() {
    if (!HasNext()) {
        throw Exception(errors::kNoMoreElements);
    }
    TElement element;
    element.Kind = PeekKind();
    if (element.Kind == ekText) {
        std::size_t end = FText.find('<', FPosition);
        if (end == std::string::npos) {
            end = FText.size();
        }
        element.Text = FText.substr(FPosition, end - FPosition);
        FPosition = end;
        return element;
    }
    const std::size_t start = FPosition + (element.Kind == ekClosingTag ? 2 : 1);
    const std::size_t close = FText.find('>', start);
    if (close == std::string::npos) {
        // An unterminated tag runs to the end of the text, its last character dropped.
        element.Text = start < FText.size() ? FText.substr(start, FText.size() - start - 1) : std::string();
        FPosition = FText.size();
    } else {
        element.Text = FText.substr(start, close - start);
        FPosition = close + 1;
    }
    return element;
}

std::string PrepareCaption(const std::string& caption) {
    return ReplaceAll(caption, "\r\n", "");
}

int FindTag(const std::string& tag) {
    const std::string upper = UpperCaseAnsi(tag);
    for (std::size_t i = 0; i < kTags.size(); ++i) {
        const std::string_view entry = kTags[i];
        if (upper == entry) {
            return int(i);
        }
        if (entry.back() == '=' && upper.compare(0, entry.size() - 1, entry.substr(0, entry.size() - 1)) == 0) {
            return int(i);
        }
    }
    return -1;
}

std::unique_ptr<TNode> TDefaultParser::MakeTagNode(const std::string& tag) {
    switch (FindTag(tag)) {
    case tiBold:
        return std::make_unique<TStyleNode>(fsBold);
    case tiItalic:
        return std::make_unique<TStyleNode>(fsItalic);
    case tiUnderline:
        return std::make_unique<TStyleNode>(fsUnderline);
    case tiColor:
        return std::make_unique<TColorNode>(ColorFromString(ValueOfTag(tag)));
    case tiLink:
        return std::make_unique<TLinkNode>(FCounters.LinkCount++, ValueOfTag(tag));
    case tiLineBreak:
        return std::make_unique<TActionNode>(atLineBreak);
    case tiParagraph:
        return std::make_unique<TActionNode>(atParagraph);
    case tiDynamic:
        return std::make_unique<TDynamicNode>(FCounters.DynamicCount++);
    default:
        return std::make_unique<TUnknownNode>(tag);
    }
}

std::unique_ptr<TNode> TDefaultParser::ParseNode(const TElement& element, std::size_t depth) {
    switch (element.Kind) {
    case ekText:
        return std::make_unique<TStringNode>(ReplaceAll(ReplaceAll(element.Text, "&lt;", "<"), "&gt;", ">"));
    case ekOpeningTag: {
        std::unique_ptr<TNode> node = MakeTagNode(element.Text);
        if (auto* dynamic = dynamic_cast<TDynamicNode*>(node.get()); dynamic != nullptr && FHandler != nullptr) {
            std::string source;
            FHandler->DynamicTagInit(source, dynamic->Number());
            if (!source.empty()) {
                // Its own parser, without a handler: dynamic tags inside dynamic text stay empty.
                TDefaultParser inner(FCounters, depth + 1);
                std::unique_ptr<TNodeTree> content = inner.Parse(source);
                for (auto& child : content->Root().TakeChildren()) {
                    dynamic->AddChild(std::move(child));
                }
            }
        }
        return node;
    }
    default:
        throw Exception(errors::kUnsupportedState);
    }
}

std::unique_ptr<TNodeTree> TDefaultParser::Parse(const std::string& text) {
    auto tree = std::make_unique<TNodeTree>();
    TElementEnumerator elements(PrepareCaption(text));
    // The open scopes, innermost last. Closing tags are not matched by name: each closes the innermost
    // scope, and one at the outermost level ends the parse.
    std::vector<TParentNode*> scopes{&tree->Root()};
    std::size_t flattened = 0; // scopes too deep to keep, still waiting for their closing tags
    while (elements.HasNext()) {
        const TElement element = elements.GetNextElement();
        if (element.Kind == ekClosingTag) {
            if (flattened > 0) {
                --flattened;
                continue;
            }
            if (scopes.size() == 1) {
                break;
            }
            scopes.pop_back();
            continue;
        }
        const std::size_t depth = FDepth + scopes.size();
        std::unique_ptr<TNode> node = ParseNode(element, depth);
        if (element.Kind == ekOpeningTag && OpensScope(*node)) {
            if (depth >= kMaxDepth) {
                ++flattened;
                continue;
            }
            scopes.push_back(static_cast<TParentNode*>(scopes.back()->AddChild(std::move(node))));
            continue;
        }
        scopes.back()->AddChild(std::move(node));
    }
    return tree;
}

} // namespace linklabel
