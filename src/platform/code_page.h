#pragma once
// The single-byte Windows-1252 code page that files and datagrams hold, and
// its conversion to and from UTF-8 at the program's edges.

#include <string>
#include <string_view>

namespace telvo {

std::string Cp1252ToUtf8(std::string_view text);
// A character that Windows-1252 cannot hold becomes "?", as the Windows
// conversion does; so does a malformed UTF-8 sequence.
std::string Utf8ToCp1252(std::string_view text);

// Upper case in Windows-1252: a-z, the accented small letters 0xE0-0xFE
// (not 0xF7, the division sign), and s, oe, z with caron and y with diaeresis.
char UpperCp1252(char c);

}  // namespace telvo
