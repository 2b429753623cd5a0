#pragma once

#include "linklabel/LinkCanvas.h"
#include "linklabel/LinkLabelTypes.h"

#include <map>
#include <string>
#include <vector>

namespace linklabel::testing {

/// Measures every character 10 pixels wide (12 in bold), every line 12 pixels high, and records what is drawn
/// and how often each text was measured.
class TFakeCanvas : public ILinkCanvas {
public:
    struct TDrawn {
        int X;
        int Y;
        std::string Text;
        TFontStyles Styles;
        TColor Color;
        friend bool operator==(const TDrawn&, const TDrawn&) = default;
    };

    static constexpr int kLineHeight = 12;

    void SetFont(TFontStyles styles, TColor color) override {
        FStyles = styles;
        FColor = color;
    }
    int TextWidth(const std::string& text) override {
        ++Measured[text];
        ++WidthCalls;
        return int(text.size()) * ((FStyles & fsBold) != 0 ? 12 : 10);
    }
    int TextHeight(const std::string&) override { return kLineHeight; }
    void TextOut(int x, int y, const std::string& text) override { Drawn.push_back({x, y, text, FStyles, FColor}); }

    std::vector<TDrawn> Drawn;
    std::map<std::string, int> Measured;
    int WidthCalls = 0;

private:
    TFontStyles FStyles = 0;
    TColor FColor = 0;
};

} // namespace linklabel::testing
