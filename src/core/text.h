#pragma once
// Text below the windows is single-byte Windows-1252 in std::string. These
// helpers treat it in that code page, never in the process's locale, so an
// upper-cased path or name is the same on every workstation.

#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace telvo {

// Upper case in Windows-1252: a-z, the accented small letters 0xE0-0xFE
// (not 0xF7, the division sign), and s, oe, z with caron and y with diaeresis.
std::string UpperCase(std::string_view text);
// Blanks removed from both ends (blanks only, not other white space).
std::string TrimBlanks(std::string_view text);
// Equal once both are upper-cased.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// The lines of a text file: each ends at CR LF, CR or LF; a last line without
// an end counts, an empty rest behind the last end does not.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// The whole file, opened for reading under a shared lock and closed again
// before this returns.
Status ReadTextFile(Env& env, const std::string& path, std::string* bytes);

}  // namespace telvo
