#pragma once

#include <cstdint>
#include <optional>

namespace platform {

/// What the system itself gives a top-level window, as its window style says.
struct TSystemFrame {
    bool Caption = false;      // a title bar drawn by the system
    bool SizingBorder = false; // a border to size the window by
    bool SystemMenu = false;   // the system menu: Alt+Space, the taskbar button's menu
    bool MinimizeBox = false;  // the taskbar button and the system menu minimise it
    bool InTaskbar = false;    // a button in the taskbar (not a tool window)
};

/// The frame the system gives the native window `window` (a QWidget's winId()). Windows: its GWL_STYLE and
/// GWL_EXSTYLE. Empty where the window manager is asked through hints the program cannot read back (Linux).
std::optional<TSystemFrame> SystemFrame(std::uintptr_t window);

} // namespace platform
