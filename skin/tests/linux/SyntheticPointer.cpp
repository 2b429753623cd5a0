#include "../SyntheticPointer.h"

// Qt delivers synthetic events as it does the display's: hover and the caption's move follow them.
bool SyntheticPointerActsAsReal() {
    return true;
}
