#pragma once

#include <string>

// What the system running the tests says and is, where the platforms differ: tests state their
// expectations through these so that one test serves both builds.
namespace testsupport {

/// The error code and the system's text (as platform::SysErrorMessage gives it) of each failure the
/// tests provoke. Linux: the C library's texts, written out. Windows: FormatMessage's texts of the codes
/// the file functions set (they differ between Windows releases and Wine).
struct TSystemError {
    int Code;
    std::string Text;
};
/// Opening a file that does not exist.
TSystemError FileNotFoundError();
/// Creating a file in a folder that does not exist.
TSystemError PathNotFoundError();
/// Opening a folder as a file.
TSystemError FolderAsFileError();
/// Writing to a read-only file.
TSystemError AccessDeniedError();

/// The ANSI code page that the program's text conversions use: GetACP() on Windows; on Linux the
/// program takes UTF-8 (65001) for it.
unsigned AnsiCodePage();

/// Whether the tests run with the rights to ignore file permissions: root on Linux, and so under Wine
/// started by root; never on Windows itself, where a read-only file stops everyone.
bool RunningAsRoot();

/// Whether a Windows test program runs under Wine, whose prefix the test run made for itself: only
/// then may a test change settings of the whole user account.
bool RunningUnderWine();

} // namespace testsupport
