#pragma once

// The texts of the failures that the parser, the tree and the text handler raise when they are used
// against their own rules. No caption set through the control ever causes one of them.
namespace linklabel::errors {

inline constexpr const char* kNoMoreElements = "TElementEnumerator.GetNextElement: No more elements to return";
inline constexpr const char* kUnsupportedState = "TDefaultParser.ParseNode: Unsupported state";
inline constexpr const char* kUnknownClass = "TNode.GetNodeType: Unknown class";
inline constexpr const char* kNoMoreNodes = "No more nodes to return";
inline constexpr const char* kNoMoreRecords = "No more records to return";
inline constexpr const char* kWordInfoIndex = "TStringNode.GetWordInfo: Index out of bounds";
inline constexpr const char* kNoMoreWords = "TWordEnumerator.GetNext: No more words to return";
inline constexpr const char* kUnsupportedTextElement =
    "TTextHandler.EmptyBuffer: Unsupported TParentTextElement descendant encountered";

} // namespace linklabel::errors
