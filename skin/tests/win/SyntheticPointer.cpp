#include "../SyntheticPointer.h"

// Hover and the system's move loop follow the real pointer only.
bool SyntheticPointerActsAsReal() {
    return false;
}
