// The BackColor number reader over arbitrary text: LeadingNumber never fails
// on any text, RoundToInt32 turns every value (infinite and not a number
// included) into a 32-bit integer without undefined behaviour, a plain
// decimal integer reads as itself, and every 32-bit value written by the
// options dialog reads back unchanged.

#include <cstdlib>
#include <cstring>

#include "core/number_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  const std::string text(Bytes(data, size));
  const double value = LeadingNumber(text);
  static_cast<void>(RoundToInt32(value));
  static_cast<void>(RoundToInt32(-value));

  // Up to fifteen digits, with an optional sign, are exact in a double.
  const size_t digitsFrom = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (text.size() > digitsFrom && text.size() - digitsFrom <= 15 &&
      text.find_first_not_of("0123456789", digitsFrom) == std::string::npos)
    Require(value == std::strtod(text.c_str(), nullptr), "a decimal integer reads as itself");

  if (size >= 4) {
    int32_t color;
    std::memcpy(&color, data, sizeof color);
    const std::string written = (color >= 0 ? " " : "") + std::to_string(color);
    Require(RoundToInt32(LeadingNumber(written)) == color, "a written colour reads back");
  }
  return 0;
}
