#pragma once

#include <string>

namespace platform {

/// True when a file (not a directory) exists at the path.
bool FileExists(const std::string& path);
/// True when a directory exists at the path.
bool DirectoryExists(const std::string& path);
/// Creates one directory level; false when it could not be created (the parent missing, for example).
bool CreateDir(const std::string& path);
/// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);
/// The full path of a file name, relative names taken from the current directory.
std::string ExpandFileName(const std::string& path);

/// The error code of the last failed system call of this thread (errno, GetLastError).
int LastOSError();
/// The system's text for an error code, without trailing dots, blanks or line breaks.
std::string SysErrorMessage(int code);

} // namespace platform
