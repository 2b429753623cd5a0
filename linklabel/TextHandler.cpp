#include "linklabel/TextHandler.h"

#include "base/SysUtils.h"
#include "linklabel/LinkLabelErrors.h"

#include <algorithm>
#include <utility>

namespace linklabel {

std::string TWordEnumerator::GetNext() {
    if (!HasNext()) {
        throw Exception(errors::kNoMoreWords);
    }
    std::size_t end = FText.find(' ', FPosition);
    end = end == std::string::npos ? FText.size() : end + 1;
    std::string word = FText.substr(FPosition, end - FPosition);
    FPosition = end;
    return word;
}

TTextHandler::TTextHandler(ILinkCanvas& canvas, const TRect& rect, TPoint origin, int lineHeight)
    : FCanvas(canvas), FRect(rect), FOrigin(origin),
      FLineHeight(lineHeight), FPen{rect.Left - origin.X, rect.Top - origin.Y}, FLineStartX(rect.Left - origin.X) {}

void TTextHandler::AddString(TStringNode& node, TFontStyles styles, TColor color) {
    const std::string& text = node.Text();
    if (text.empty()) {
        return;
    }
    if (text.front() == ' ') {
        EmptyBuffer();
    }
    auto piece = std::make_unique<TStringTextElement>(node, styles, color);
    piece->Continues = text.front() != ' ' && (!FBuffer.empty() || FFirstContinues);
    piece->StartsAreas = std::move(FPendingAreas);
    FPendingAreas.clear();
    FFirstContinues = false;
    FBuffer.push_back(std::move(piece));
    if (text.back() == ' ') {
        EmptyBuffer();
    }
}

void TTextHandler::LineBreak() {
    FBuffer.push_back(std::make_unique<TBreakTextElement>(atLineBreak));
    EmptyBuffer();
}

void TTextHandler::ParagraphBreak() {
    FBuffer.push_back(std::make_unique<TBreakTextElement>(atParagraph));
    EmptyBuffer();
}

void TTextHandler::StartArea(TAreaNode& area) {
    if (FBuffer.empty()) {
        area.StartingPoint = FPen;
    } else {
        FPendingAreas.push_back(&area);
    }
}

void TTextHandler::EndArea(TAreaNode& area) {
    std::erase(FPendingAreas, &area);
}

void TTextHandler::EmptyBuffer() {
    for (std::size_t i = 0; i < FBuffer.size(); ++i) {
        if (auto* lineBreak = dynamic_cast<TBreakTextElement*>(FBuffer[i].get())) {
            FPen.X = FLineStartX;
            FPen.Y += lineBreak->Kind == atParagraph ? 2 * FLineHeight : FLineHeight;
        } else if (dynamic_cast<TStringTextElement*>(FBuffer[i].get()) != nullptr) {
            LayOutPiece(i);
        } else {
            throw Exception(errors::kUnsupportedTextElement);
        }
    }
    FBuffer.clear();
    FContinuations.clear();
}

TWordInfo TTextHandler::Measure(std::size_t piece, const std::string& word, bool lastWord) {
    TWordInfo info;
    info.TextWidth = FCanvas.TextWidth(word);
    info.SpaceWidth = FCanvas.TextWidth(" ");
    info.EndsWithSpace = word.back() == ' ';
    info.Width = info.TextWidth;
    if (!lastWord || info.EndsWithSpace) {
        return info;
    }
    // The word goes on in the pieces that follow without a space at the joint: their first words count
    // towards this word's width, so the whole word moves to the next line when it does not fit.
    info.Width += ContinuationWidth(piece + 1);
    return info;
}

int TTextHandler::ContinuationWidth(std::size_t first) {
    if (FContinuations.size() != FBuffer.size()) {
        FContinuations.assign(FBuffer.size(), std::nullopt);
    }
    // Each piece's share is worked out once per buffer: a word of many pieces would otherwise walk the rest
    // of the word again for every one of them.
    std::vector<std::pair<std::size_t, int>> shares; // piece, width of its first word as the word counts it
    int rest = 0;
    bool fontChanged = false;
    for (std::size_t j = first; j < FBuffer.size(); ++j) {
        if (FContinuations[j]) {
            rest = *FContinuations[j];
            break;
        }
        auto* next = dynamic_cast<TStringTextElement*>(FBuffer[j].get());
        if (next == nullptr) {
            break;
        }
        TWordEnumerator words(next->Node.Text());
        const std::string firstWord = words.GetNext();
        int firstWidth = 0;
        int spaceWidth = 0;
        if (next->Node.HasWordInfo(0)) {
            firstWidth = next->Node.GetWordInfo(0).TextWidth;
            spaceWidth = next->Node.GetWordInfo(0).SpaceWidth;
        } else {
            FCanvas.SetFont(next->Styles, next->Color);
            fontChanged = true;
            firstWidth = FCanvas.TextWidth(firstWord);
            spaceWidth = firstWord.back() == ' ' ? FCanvas.TextWidth(" ") : 0;
        }
        if (firstWord.back() == ' ') {
            shares.emplace_back(j, firstWidth - spaceWidth); // the space after a word never needs to fit
            break;
        }
        shares.emplace_back(j, firstWidth);
        if (words.HasNext()) {
            break;
        }
    }
    if (fontChanged && first > 0) {
        auto& own = static_cast<TStringTextElement&>(*FBuffer[first - 1]);
        FCanvas.SetFont(own.Styles, own.Color);
    }
    for (auto it = shares.rbegin(); it != shares.rend(); ++it) {
        rest += it->second;
        FContinuations[it->first] = rest;
    }
    return rest;
}

void TTextHandler::LayOutPiece(std::size_t index) {
    auto& piece = static_cast<TStringTextElement&>(*FBuffer[index]);
    TStringNode& node = piece.Node;
    node.Rects.clear();
    node.ContinuesWord = piece.Continues;
    FCanvas.SetFont(piece.Styles, piece.Color);

    TWordEnumerator words(node.Text());
    std::string segment;
    int segmentWidth = 0;
    for (std::size_t k = 0; words.HasNext(); ++k) {
        const std::string word = words.GetNext();
        if (!node.HasWordInfo(k)) {
            node.AddWordInfo(Measure(index, word, !words.HasNext()));
        }
        const TWordInfo& info = node.GetWordInfo(k);
        // A lone space never wraps; neither does the first word of an empty line (it would only leave the
        // line empty) nor the first word of a piece that continues a word (its start already decided).
        const bool mayWrap = word != " " && !(FPen.X == FLineStartX && segment.empty()) && !(piece.Continues && k == 0);
        if (mayWrap) {
            const int width = segmentWidth + info.Width - (info.EndsWithSpace ? info.SpaceWidth : 0);
            if (width + FPen.X + FOrigin.X >= FRect.Right) {
                int drawnWidth = segmentWidth;
                while (!segment.empty() && segment.back() == ' ') {
                    segment.pop_back();
                    drawnWidth -= info.SpaceWidth;
                }
                DrawSegment(piece, segment, drawnWidth);
                FPen.X = FLineStartX;
                FPen.Y += FLineHeight;
                segment.clear();
                segmentWidth = 0;
            }
        }
        segment += word;
        segmentWidth += info.TextWidth;
    }
    DrawSegment(piece, segment, segmentWidth);
    FPen.X += segmentWidth;
}

void TTextHandler::DrawSegment(TStringTextElement& piece, const std::string& text, int width) {
    if (text.empty()) {
        return;
    }
    FCanvas.TextOut(FPen.X + FOrigin.X, FPen.Y + FOrigin.Y, text);
    piece.Node.Rects.push_back({FPen.X, FPen.Y, FPen.X + width, FPen.Y + FLineHeight});
    for (TAreaNode* area : piece.StartsAreas) {
        area->StartingPoint = FPen;
    }
    piece.StartsAreas.clear();
}

} // namespace linklabel
