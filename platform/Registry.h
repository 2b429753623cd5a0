#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// An open registry key, as handed out by IRegistry; 0 is never a valid key.
using TRegKey = std::uintptr_t;

/// Values of the Win32 registry API that callers of IRegistry need. They carry their own names
/// so that they never meet the macros of <windows.h>.
namespace reg {
// Status codes, as the Win32 registry functions return them.
inline constexpr long Success = 0;           // ERROR_SUCCESS
inline constexpr long FileNotFound = 2;      // ERROR_FILE_NOT_FOUND: no such key or value
inline constexpr long AccessDenied = 5;      // ERROR_ACCESS_DENIED
inline constexpr long InvalidHandle = 6;     // ERROR_INVALID_HANDLE
inline constexpr long WriteFault = 29;       // ERROR_WRITE_FAULT
inline constexpr long LockViolation = 33;    // ERROR_LOCK_VIOLATION
inline constexpr long InvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr long MoreData = 234;        // ERROR_MORE_DATA: the buffer is too small
inline constexpr long BadDatabase = 1009;    // ERROR_BADDB: the hive cannot be understood
inline constexpr long KeyDeleted = 1018;     // ERROR_KEY_DELETED

// Access masks.
inline constexpr std::uint32_t AccessRead = 0x20019;  // KEY_READ
inline constexpr std::uint32_t AccessWrite = 0x20006; // KEY_WRITE
inline constexpr std::uint32_t AccessSetValue = 0x2;  // KEY_SET_VALUE, part of KEY_WRITE

// Value types.
inline constexpr std::uint32_t TypeNone = 0;     // REG_NONE
inline constexpr std::uint32_t TypeSz = 1;       // REG_SZ
inline constexpr std::uint32_t TypeExpandSz = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t TypeBinary = 3;   // REG_BINARY
inline constexpr std::uint32_t TypeDword = 4;    // REG_DWORD
inline constexpr std::uint32_t TypeMultiSz = 7;  // REG_MULTI_SZ
} // namespace reg

/// The current user's registry hive (HKEY_CURRENT_USER), through the five operations the program
/// uses. Key paths are relative to the hive, elements separated by a backslash; a trailing backslash
/// names the same key. Names and string data are in the ANSI code page. Every operation returns a
/// status code as the Win32 function it stands for does.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    /// RegOpenKeyExA: opens an existing key; creates nothing.
    virtual long OpenKey(std::string_view path, std::uint32_t access, TRegKey& key) = 0;
    /// RegCreateKeyExA (REG_OPTION_NON_VOLATILE): opens the key, first creating it and every missing key
    /// above it.
    virtual long CreateKey(std::string_view path, std::uint32_t access, TRegKey& key) = 0;
    /// RegQueryValueExA: with `data` null, reports the value's type and data size; otherwise copies the data
    /// (reg::MoreData when *size is too small; *size is then the size needed). `type` may be null.
    virtual long QueryValue(TRegKey key, std::string_view name, std::uint32_t* type, unsigned char* data,
                            std::uint32_t* size) = 0;
    /// RegSetValueExA: creates or replaces the value.
    virtual long SetValue(TRegKey key, std::string_view name, std::uint32_t type, const unsigned char* data,
                          std::uint32_t size) = 0;
    /// RegCloseKey. Never asks for a flush.
    virtual long CloseKey(TRegKey key) = 0;

    /// Why the last operation that failed did, in words for the user, with what they can do about it;
    /// empty when there is nothing to add to the status (always so on Windows, whose registry explains
    /// itself). Every operation clears it when it starts.
    virtual std::string LastFailureDetail() const = 0;
};

/// The current user's hive. Windows: the real registry. Linux: the user.reg of the Wine prefix named by
/// $WINEPREFIX, else ~/.wine, looked up afresh by every operation.
IRegistry& CurrentUserRegistry();

/// Starts reading the current user's hive on a thread of its own, so that the first operations find it read
/// while the program sets up its windows. Call it once the prefix is chosen. It keeps where the keys `keys` and
/// the keys below them are (every key, when none are given); an operation on any other key reads the hive again.
/// Windows: nothing to do, the system holds the hive.
void ReadCurrentUserHiveAhead(std::vector<std::string> keys);

} // namespace platform
