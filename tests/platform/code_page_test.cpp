#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(CodePageTest, RoundTripsAndUnrepresentableCharacters) {
  // é, the euro sign and the curly quotes live in different parts of the page.
  const std::string cp1252 = "caf\xe9 \x80 \x93\x94 \x81";
  const std::string utf8 = Cp1252ToUtf8(cp1252);
  EXPECT_EQ(utf8, "caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9c\xe2\x80\x9d \xc2\x81");
  EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
  // A Greek letter and a broken sequence cannot be held.
  EXPECT_EQ(Utf8ToCp1252("\xce\xb1-\xe2\x82"), "?-?");
}

}  // namespace
}  // namespace telvo
