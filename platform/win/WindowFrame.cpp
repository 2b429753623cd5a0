#include "platform/WindowFrame.h"

#include <windows.h>

namespace platform {

std::optional<TSystemFrame> SystemFrame(std::uintptr_t window) {
    const HWND handle = reinterpret_cast<HWND>(window);
    if (!IsWindow(handle)) {
        return std::nullopt;
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_EXSTYLE));
    TSystemFrame frame;
    // WS_CAPTION holds WS_BORDER and WS_DLGFRAME: either alone is no title bar.
    frame.Caption = (style & WS_CAPTION) == WS_CAPTION;
    frame.SizingBorder = (style & WS_THICKFRAME) != 0;
    frame.SystemMenu = (style & WS_SYSMENU) != 0;
    frame.MinimizeBox = (style & WS_MINIMIZEBOX) != 0;
    frame.InTaskbar = (exStyle & WS_EX_TOOLWINDOW) == 0 &&
                      (GetWindow(handle, GW_OWNER) == nullptr || (exStyle & WS_EX_APPWINDOW) != 0);
    return frame;
}

} // namespace platform
