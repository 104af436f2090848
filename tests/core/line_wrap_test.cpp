#include "core/line_wrap.h"

#include <gtest/gtest.h>

namespace telvo::test {
namespace {

using Lines = std::vector<std::string>;

// One unit a character, so widths are lengths.
Lines Wrap(std::string_view text, double width, const FitRule& rule, size_t maxLines = 31) {
  return WrapLines(text, width, rule, maxLines,
                   [](std::string_view line) { return static_cast<double>(line.size()); });
}

TEST(LineWrapTest, ScreenAndPaperDifferOnlyAtTheirEdge) {
  // Six characters stand whole in a column of six on screen (narrower than
  // width + 1), not on paper. A part before a blank as wide as the column
  // is a line on screen and is cut inside on paper. A blank that starts a
  // line is a place to break on screen only.
  EXPECT_EQ(Wrap("ab cde", 6, kScreenFit), (Lines{"ab cde"}));
  EXPECT_EQ(Wrap("ab cde", 6, kPaperFit), (Lines{"ab", "cde"}));
  EXPECT_EQ(Wrap("abc de", 3, kScreenFit), (Lines{"abc", "de"}));
  EXPECT_EQ(Wrap("abc de", 3, kPaperFit), (Lines{"abc", " de"}));
  EXPECT_EQ(Wrap("abcd  efghij", 4, kScreenFit), (Lines{"abcd", "", "efgh", "ij"}));
  EXPECT_EQ(Wrap("abcd  efghij", 4, kPaperFit), (Lines{"abcd", " ", "efgh", "ij"}));
  EXPECT_EQ(Wrap("the quick  brown fox", 9, kScreenFit), (Lines{"the quick", " brown", "fox"}));

  // Alike: a word too wide is cut; a CR LF ends the line and the text after
  // it goes on as typed, also where the break fell on the blank after it or
  // a cut split the pair; an empty text is one empty line; after the last
  // line the rest is dropped.
  for (const FitRule& rule : {kScreenFit, kPaperFit}) {
    EXPECT_EQ(Wrap("abcdefghijklmno", 10, rule), (Lines{"abcdefghij", "klmno"}));
    EXPECT_EQ(Wrap("ab\r\ncd ef", 6, rule), (Lines{"ab", "cd ef"}));
    EXPECT_EQ(Wrap("abc\r\n de fghi", 7, rule), (Lines{"abc", " de", "fghi"}));
    EXPECT_EQ(Wrap("abc\r\nef", 4, rule), (Lines{"abc", "ef"}));
    EXPECT_EQ(Wrap("", 33, rule), (Lines{""}));
    EXPECT_EQ(Wrap(std::string(40, 'a'), 1, rule, 31), Lines(31, "a"));
  }
}

}  // namespace
}  // namespace telvo::test
