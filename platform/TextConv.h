#pragma once

#include <string>
#include <string_view>

namespace platform {

/// The decimal separator of the current user's number format, asked from the system each time.
/// Windows: LOCALE_SDECIMAL of the user's default locale. Linux: the radix character of the
/// user's LC_NUMERIC (LC_ALL, LC_NUMERIC, LANG); "." when that locale is not available.
char UserDecimalSeparator();

/// The decimal separator that text conversions of the program use: the user's, read once at first use,
/// unless set explicitly.
char DecimalSeparator();
/// Replaces the program's decimal separator (the user's format is no longer consulted).
void SetDecimalSeparator(char separator);

/// Converts UTF-16 text to the system's ANSI code page (Windows: CP_ACP; Linux: UTF-8). A character
/// the code page cannot hold becomes the code page's default character.
std::string WideToAnsi(std::u16string_view text);
/// Converts text in the system's ANSI code page to UTF-16. Linux: a byte that does not belong to a
/// valid UTF-8 sequence becomes U+FFFD.
std::u16string AnsiToWide(std::string_view text);

} // namespace platform
