#pragma once

#include "linklabel/NodeTree.h"

#include <cstdio>
#include <string>

namespace linklabel::testing {

/// A short text for a subtree, to compare parse results at a glance:
/// "text" for strings, b[..] i[..] u[..] for styles, color#RRGGBB as stored[..], link0(param)[..],
/// dyn0[..], br, p and ?tag for unknown tags.
inline std::string Describe(const TNode& node);

inline std::string DescribeChildren(const TParentNode& parent) {
    std::string text;
    for (const auto& child : parent.Children()) {
        if (!text.empty()) {
            text += ' ';
        }
        text += Describe(*child);
    }
    return text;
}

inline std::string Describe(const TNode& node) {
    char buffer[32];
    switch (node.GetNodeType()) {
    case ntStringNode:
        return '"' + static_cast<const TStringNode&>(node).Text() + '"';
    case ntActionNode:
        return static_cast<const TActionNode&>(node).Action() == atLineBreak ? "br" : "p";
    case ntUnknownNode:
        return '?' + static_cast<const TUnknownNode&>(node).Text();
    case ntStyleNode: {
        const TFontStyle style = static_cast<const TStyleNode&>(node).Style();
        const char* name = style == fsBold ? "b" : style == fsItalic ? "i" : "u";
        return std::string(name) + '[' + DescribeChildren(static_cast<const TParentNode&>(node)) + ']';
    }
    case ntColorNode:
        std::snprintf(buffer, sizeof buffer, "color#%06X", unsigned(static_cast<const TColorNode&>(node).NodeColor()));
        return buffer + ('[' + DescribeChildren(static_cast<const TParentNode&>(node)) + ']');
    case ntLinkNode: {
        const auto& link = static_cast<const TLinkNode&>(node);
        return "link" + std::to_string(link.LinkNumber()) + '(' + link.Param() + ")[" + DescribeChildren(link) + ']';
    }
    case ntDynamicNode: {
        const auto& dynamic = static_cast<const TDynamicNode&>(node);
        return "dyn" + std::to_string(dynamic.Number()) + '[' + DescribeChildren(dynamic) + ']';
    }
    case ntRootNode:
        return DescribeChildren(static_cast<const TParentNode&>(node));
    default:
        return "node";
    }
}

} // namespace linklabel::testing
