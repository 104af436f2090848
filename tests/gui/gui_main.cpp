// The windows' tests run inside one QApplication, offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // --on-database: the fixture's workgroup is in the test cluster instead of
  // a shared folder (support/program_fixture.h).
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--on-database") ::setenv("TELVO_TEST_STORE", "database", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
