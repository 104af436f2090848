#pragma once
// The number at the start of a text, read as the classic BASIC reader reads
// it, for the pad colour of the configuration file.

#include <cstdint>
#include <string_view>

namespace telvo {

// An optional sign and decimal digits with an optional fraction and exponent
// ("E" or "D"), or a hexadecimal number behind "&H", an octal one behind "&O".
// Blanks, tabs and line feeds anywhere are skipped; reading stops at the first
// character that cannot continue the number; a text without a number is 0.
// A value too large for a double is infinite, one too small is 0.
double LeadingNumber(std::string_view text);

// The nearest integer, a half going to the even neighbour, held to the
// 32-bit range: a value beyond it gives the nearest end.
int32_t RoundToInt32(double value);

}  // namespace telvo
