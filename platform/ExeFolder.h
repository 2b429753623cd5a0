#pragma once

#include <string>

namespace platform {

/// Folder of the running executable, with a trailing path separator. Data files delivered with the
/// program (Extensions.txt, Help.chm) are looked up here; the current directory plays no part.
/// Linux: the real path of /proc/self/exe. Windows: GetModuleFileNameA of the process.
std::string GetExeFolder();

/// The separator between path elements on this platform ("\\" on Windows, "/" elsewhere).
char PathDelimiter();

} // namespace platform
