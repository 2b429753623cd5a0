#include "app/Display.h"

std::string DisplayProblem() {
    return {};
} // a Windows session always has a desktop
