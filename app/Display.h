#pragma once

#include <string>

/// Why no window can be shown here (no display to connect to), or empty when one can.
std::string DisplayProblem();
