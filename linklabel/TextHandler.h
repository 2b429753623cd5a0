#pragma once

#include "linklabel/LinkCanvas.h"
#include "linklabel/NodeTree.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace linklabel {

/// Splits a text into words: each word runs up to and including the next space, the last to the end.
class TWordEnumerator {
public:
    explicit TWordEnumerator(const std::string& text) : FText(text) {}
    bool HasNext() const { return FPosition < FText.size(); }
    /// The next word; raises when there is none.
    std::string GetNext();

private:
    const std::string& FText;
    std::size_t FPosition = 0;
};

/// A piece waiting in the text handler's buffer.
class TParentTextElement {
public:
    virtual ~TParentTextElement() = default;
};

/// The text of one string node in one style and colour.
class TStringTextElement : public TParentTextElement {
public:
    TStringTextElement(TStringNode& node, TFontStyles styles, TColor color)
        : Node(node), Styles(styles), Color(color) {}
    TStringNode& Node;
    TFontStyles Styles;
    TColor Color;
    /// The piece continues a word begun by the piece before it: its first word never wraps on its own.
    bool Continues = false;
    /// Areas whose starting point is where this piece is first drawn.
    std::vector<TAreaNode*> StartsAreas;
};

/// A line break or a paragraph break.
class TBreakTextElement : public TParentTextElement {
public:
    explicit TBreakTextElement(TActionType kind) : Kind(kind) {}
    TActionType Kind;
};

/// Lays words out on lines within a rectangle and draws them. The pen is relative to the tree's origin.
/// Pieces of one word that differ in style wait in a buffer, so that a word wraps as a whole.
class TTextHandler {
public:
    TTextHandler(ILinkCanvas& canvas, const TRect& rect, TPoint origin, int lineHeight);

    TPoint Pen() const { return FPen; }
    void SetPen(TPoint pen) { FPen = pen; }
    int LineHeight() const { return FLineHeight; }
    bool IsBufferEmpty() const { return FBuffer.empty(); }

    /// Hands over the text of a string node, drawn in `styles` and `color` (a real colour, not a link
    /// placeholder). A text that begins with a space starts a new word; one that ends with a space ends it.
    void AddString(TStringNode& node, TFontStyles styles, TColor color);
    void LineBreak();
    void ParagraphBreak();
    /// Lays out and draws everything waiting in the buffer.
    void EmptyBuffer();

    /// An area starts here: its starting point is the pen when nothing waits, else where its first
    /// text is drawn.
    void StartArea(TAreaNode& area);
    /// The area ended; a start still waiting for text is dropped.
    void EndArea(TAreaNode& area);
    /// The first text handed over continues a word begun before it (drawing one node again).
    void SetFirstTextContinues(bool continues) { FFirstContinues = continues; }

private:
    TWordInfo Measure(std::size_t piece, const std::string& word, bool lastWord);
    /// What the pieces from `first` on add to the width of a word that runs on into them.
    int ContinuationWidth(std::size_t first);
    void DrawSegment(TStringTextElement& piece, const std::string& text, int width);
    void LayOutPiece(std::size_t index);

    ILinkCanvas& FCanvas;
    TRect FRect;
    TPoint FOrigin;
    int FLineHeight;
    TPoint FPen;
    int FLineStartX;
    std::vector<std::unique_ptr<TParentTextElement>> FBuffer;
    std::vector<TAreaNode*> FPendingAreas;
    bool FFirstContinues = false;
    /// ContinuationWidth of each buffered piece, once worked out; emptied with the buffer.
    std::vector<std::optional<int>> FContinuations;
};

} // namespace linklabel
