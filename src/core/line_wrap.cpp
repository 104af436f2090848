#include "core/line_wrap.h"

namespace telvo {
namespace {

constexpr size_t kNone = std::string_view::npos;

// The longest prefix that ends just before a blank and fits, or kNone.
// Widths grow with the prefix, so the first one too wide ends the search.
size_t PrefixBeforeBlank(std::string_view text, double width, const FitRule& rule,
                         const MeasureText& measure) {
  size_t best = kNone;
  const size_t first = rule.breakAtLeadingBlank ? 0 : 1;
  for (size_t blank = text.find(' ', first); blank != kNone; blank = text.find(' ', blank + 1)) {
    const double wide = measure(text.substr(0, blank));
    if (rule.prefixMayEqualWidth ? wide > width : wide >= width) break;
    best = blank;
  }
  return best;
}

// The longest run of leading characters no wider than `width`; at least one.
size_t LeadingRun(std::string_view text, double width, const MeasureText& measure) {
  size_t length = 1;
  while (length < text.size() && measure(text.substr(0, length + 1)) <= width) ++length;
  return length;
}

}  // namespace

std::vector<std::string> WrapLines(std::string_view text, double width, const FitRule& rule,
                                   size_t maxLines, const MeasureText& measure) {
  std::vector<std::string> lines;
  std::string_view rest = text;
  do {
    size_t length;    // of the line's text
    size_t consumed;  // of `rest`, the dropped blank included
    if (measure(rest) < width + rule.wholeSlack) {
      length = consumed = rest.size();
    } else if (size_t blank = PrefixBeforeBlank(rest, width, rule, measure); blank != kNone) {
      length = blank;
      consumed = blank + 1;
    } else {
      length = consumed = LeadingRun(rest, width, measure);
    }
    // A line break inside the line ends it there; everything after the pair,
    // a blank dropped above included, is wrapped anew. A pair that a cut
    // inside a word split in two counts as inside.
    const size_t pair = rest.substr(0, length + 1).find("\r\n");
    if (pair != kNone && pair < length) {
      length = pair;
      consumed = pair + 2;
    }
    lines.emplace_back(rest.substr(0, length));
    rest.remove_prefix(consumed);
  } while (!rest.empty() && lines.size() < maxLines);
  return lines;
}

}  // namespace telvo
