#pragma once

/// Whether synthetic mouse events (QTest's) act on windows as the real pointer does. Not on Windows: it
/// tells a window that the pointer entered only when the real pointer moves there, and it moves a window
/// by its caption (startSystemMove) in a loop of its own that follows the real pointer. CMake builds one
/// of linux/SyntheticPointer.cpp and win/SyntheticPointer.cpp.
bool SyntheticPointerActsAsReal();
