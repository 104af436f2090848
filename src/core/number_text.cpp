#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace telvo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Digits behind "&H" or "&O"; the value may exceed every integer type, so it
// is summed in a double.
double RadixNumber(std::string_view digits, int radix) {
  double value = 0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d < 0 || d >= radix) break;
    value = value * radix + d;
  }
  return value;
}

double DecimalNumber(std::string_view s) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  std::string mantissa = "0";
  long integerDigits = 0;  // of the integer part, leading zeros left out
  bool anyDigit = false;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    if (integerDigits > 0 || s[i] != '0') ++integerDigits;
    mantissa += s[i];
    anyDigit = true;
  }
  if (i < s.size() && s[i] == '.') {
    mantissa += '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i) {
      mantissa += s[i];
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;

  long exponent = 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    bool exponentNegative = false;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponentNegative = s[i++] == '-';
    // Held far beyond any double's range so the sum below cannot overflow.
    for (; i < s.size() && IsDigit(s[i]); ++i)
      exponent = std::min(exponent * 10 + (s[i] - '0'), 100000L);
    if (exponentNegative) exponent = -exponent;
  }

  const std::string text = mantissa + "e" + std::to_string(exponent);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    value = integerDigits + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (!IsBlank(c)) s += c;
  }
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return RadixNumber(std::string_view(s).substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return RadixNumber(std::string_view(s).substr(2), 8);
    return 0;
  }
  return DecimalNumber(s);
}

int32_t RoundToInt32(double value) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  if (std::isnan(value)) return 0;
  if (value >= kMax) return std::numeric_limits<int32_t>::max();
  if (value <= kMin) return std::numeric_limits<int32_t>::min();
  double whole = std::floor(value);
  const double rest = value - whole;  // exact in this range
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int32_t>(whole);
}

}  // namespace telvo
