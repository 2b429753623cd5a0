#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

/// Root of the source tree, for fixtures kept under <module>/tests/data.
std::filesystem::path SourceDir();
/// A fixture file of the source tree, such as "outlook/tests/data/user.reg".
std::filesystem::path DataFile(const std::string& relative);

} // namespace testsupport
