#pragma once

#include <filesystem>
#include <string>

// The registry hive a GUI test's main window edits. Linux: the prefix's user.reg at `userReg`. Windows: a
// scratch key standing for HKEY_CURRENT_USER (`userReg` plays no part), written and read in user.reg's
// form, so that the same cases run on both. CMake builds one of linux/TestHive.cpp and win/TestHive.cpp.

/// Replaces the Outlook and policy keys of the hive by `keys`, given in user.reg form.
void WriteTestHive(const std::filesystem::path& userReg, const std::string& keys);
/// The Outlook and policy keys and values in user.reg form (on Linux, the whole of user.reg).
std::string ReadTestHive(const std::filesystem::path& userReg);
