// Any caption becomes a tree: the parser never crashes, never loses its way in deep nesting, and the tree it
// makes can be walked, searched for links and released whatever the markup.
#include "linklabel/NodeTree.h"
#include "linklabel/Parser.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Fills every dynamic tag with a slice of the input, so dynamic text is fuzzed too.
class TSliceHandler : public linklabel::IDynamicNodeHandler {
public:
    explicit TSliceHandler(const std::string& text) : FText(text) {}
    void DynamicTagInit(std::string& source, int number) override {
        const std::size_t start = std::size_t(number) * 7 % (FText.size() + 1);
        source = FText.substr(start, 64);
    }

private:
    const std::string& FText;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string caption(reinterpret_cast<const char*>(data), size);
    TSliceHandler handler(caption);
    linklabel::TDefaultParser parser;
    parser.SetDynamicNodeHandler(&handler);
    auto tree = parser.Parse(caption);

    // Give every string a rectangle so that link lookups walk the whole tree.
    int y = 0;
    linklabel::TNodeEnumerator strings(tree->Root(), linklabel::ntStringNode);
    while (strings.HasNext()) {
        auto& text = static_cast<linklabel::TStringNode&>(strings.GetNext());
        text.Rects.push_back({0, y, 10, y + 10});
        y += 10;
    }
    tree->RebuildLinkRects();
    for (int probe = 0; probe < y; probe += 10) {
        if (auto* link = tree->GetLinkNodeAt({5, probe + 5})) {
            (void)linklabel::TNodeTree::LinkText(*link);
        }
        (void)tree->IsOverLink({5, probe + 5});
    }
    return 0;
}
