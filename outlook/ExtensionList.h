#pragma once

#include <string>
#include <string_view>
#include <vector>

/// An ordered list of file extensions such as ".exe", taken as they are: letter case, duplicates and
/// empty items stay, nothing is sorted.
using TExtensionList = std::vector<std::string>;

/// Splits the registry's text form of a list into its items. Items are separated by ";" and by blanks
/// (bytes 1 to 32); a run of blanks around a semicolon makes no item, two adjacent semicolons make an empty
/// one, and so does a semicolon that ends the text. An item that starts with a double quote runs to the next
/// double quote not doubled, a doubled one standing for one, or to the end of the text. The text is stepped
/// through character by character in the ANSI code page.
TExtensionList SplitExtensionList(std::string_view text);

/// Joins a list into the registry's text form: items separated by ";", with no separator after the last.
/// An item holding a blank, a control character, a double quote or a semicolon is enclosed in double quotes,
/// its double quotes doubled; a list of one empty item is "\"\"". SplitExtensionList gives the items back.
std::string JoinExtensionList(const TExtensionList& items);
