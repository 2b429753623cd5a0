#include "platform/WindowFrame.h"

namespace platform {

// An X11 window manager decides its frame from hints (Motif, EWMH) that say what is asked, not what it draws.
std::optional<TSystemFrame> SystemFrame(std::uintptr_t) {
    return std::nullopt;
}

} // namespace platform
