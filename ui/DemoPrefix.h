#pragma once

#include <string>

/// Whether `prefix` is the demo Wine prefix that the run script makes from examples/demo-user.reg when
/// a machine has none: it holds the marker file ".vellicor-demo". No Outlook reads its user.reg.
bool IsDemoWinePrefix(const std::string& prefix);
