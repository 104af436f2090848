#include "core/options_rules.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(OptionsRulesTest, OkRefusesInOrderAndComparesNamesExactly) {
  const std::vector<std::string> team = {"Ann Smith", "Bob"};
  EXPECT_EQ(OptionsRefusal({}, "Ann Smith", "Bob"), "Workgroup does not contain any names.");
  // The reader of the configuration ignores case; the dialog does not.
  EXPECT_EQ(OptionsRefusal(team, "ann smith", "Bob"), "Identify yourself---Name not on list.");
  EXPECT_EQ(OptionsRefusal(team, "Choose from list", "Bob"),
            "Identify yourself---Name not on list.");
  EXPECT_EQ(OptionsRefusal(team, "Ann Smith", "Bob "), "Default for person---Name not on list.");
  EXPECT_EQ(OptionsRefusal(team, "Bob", "Ann Smith"), std::nullopt);
}

TEST(OptionsRulesTest, WorkgroupFilesAndTheirFolders) {
  EXPECT_TRUE(EndsInWgl("/srv/phone/team.wgl"));
  EXPECT_TRUE(EndsInWgl("TEAM.Wgl"));
  EXPECT_TRUE(EndsInWgl("teamwgl"));
  EXPECT_FALSE(EndsInWgl("/srv/phone/team.txt"));
  EXPECT_FALSE(EndsInWgl("gl"));

  EXPECT_EQ(FolderPartOf("/SRV/PHONE/TEAM.WGL"), "/SRV/PHONE/");
  EXPECT_EQ(FolderPartOf("\\\\SERVER\\PHONE\\TEAM.WGL"), "\\\\SERVER\\PHONE\\");
  EXPECT_EQ(FolderPartOf("TEAM.WGL"), "");
}

TEST(OptionsRulesTest, TypeStepsDownUntilTwentyFourLinesFitAtMostFiveTimes) {
  // TH in units proportional to the size: 18 points are 5 units, too tall.
  const auto proportional = [](double points) { return points * 5.0 / 18.0; };
  const OptionsFontSizes fitted = ChooseOptionsFontSizes(proportional);
  EXPECT_EQ(fitted.dialog, 13.5);  // 24 * 3.75 = 90 is not more than 90
  EXPECT_EQ(fitted.labels, 12);

  EXPECT_EQ(ChooseOptionsFontSizes([](double) { return 1.0; }).dialog, 18);
  const OptionsFontSizes smallest = ChooseOptionsFontSizes([](double) { return 100.0; });
  EXPECT_EQ(smallest.dialog, 8.25);
  EXPECT_EQ(smallest.labels, 8.25);
  EXPECT_EQ(OptionsFontSizesAt(3).dialog, 9.75);
  EXPECT_EQ(OptionsFontSizesAt(3).labels, 8.25);
}

}  // namespace
}  // namespace telvo
