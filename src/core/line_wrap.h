#pragma once
// Breaking a column's text into lines: the call list's rows and the
// printout's columns both wrap with this, each with its own fitting rule.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace telvo {

// Where a column's edge lies. The screen lets a text narrower than the
// column plus one stand whole, and breaks at a blank while the part before
// it is no wider than the column, even at a blank that starts the line
// (which leaves an empty line). Paper wants both narrower than the column
// and never breaks before the first character. A cut inside a word too
// wide on its own takes as many characters as are no wider than the
// column, on screen and on paper alike.
struct FitRule {
  double wholeSlack;         // the whole rest fits while narrower than width + this
  bool prefixMayEqualWidth;  // a part before a blank may be exactly as wide
  bool breakAtLeadingBlank;  // a blank that starts the line is a place to break
};
inline constexpr FitRule kScreenFit{1, true, true};
inline constexpr FitRule kPaperFit{0, false, false};

// How wide a text is, in the column's unit.
using MeasureText = std::function<double(std::string_view)>;

// Breaks `text` into at most `maxLines` lines that fit `width` by `rule`:
// at blanks where possible (the blank at a break is dropped, further ones
// are kept), inside a word too wide on its own (at least one character a
// line, so a font too large still makes progress), and at every CR LF,
// after which the text goes on as typed. An empty text is one empty line;
// what is left after `maxLines` lines is dropped.
std::vector<std::string> WrapLines(std::string_view text, double width, const FitRule& rule,
                                   size_t maxLines, const MeasureText& measure);

}  // namespace telvo
