#pragma once

#include <functional>

/// The whole program: initialises the modules, creates the settings object and the main window,
/// runs the message loop until the main window closes, and takes everything down again in reverse
/// order. `whenShown` runs once the main window has been shown (the start-up benchmark uses it).
int RunProgram(int argc, char** argv, const std::function<void()>& whenShown = {});
