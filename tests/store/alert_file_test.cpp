#include "service/alert_file.h"

#include "core/alert_note.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "store/locked_open.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

const std::string kStored = "Out today\r\nPosted 4:07 PM 12-05-2026\r\n";

class AlertFileTest : public ProgramTest {
 protected:
  AlertFileTest() {
    SetPeople({"Ann"});
    env.SetNow({2026, 12, 6, 16, 7, 0});
  }
  std::string AlertFile() const { return temp.file("ann/ALERT.TXT"); }
  void Store(const std::string& bytes) { WriteWholeFile(AlertFile(), bytes); }
  bool HasWorkFile() const { return std::filesystem::exists(AlertFile() + ".NEW"); }
};

TEST_F(AlertFileTest, ReadsTheAlertWithoutItsLastLineEnd) {
  Store(kStored);
  AlertRead alert = ReadAlert(program, 0);
  EXPECT_TRUE(alert.exists);
  EXPECT_EQ(alert.text, "Out today\r\nPosted 4:07 PM 12-05-2026");

  std::filesystem::remove(AlertFile());
  alert = ReadAlert(program, 0);
  EXPECT_TRUE(alert.error.ok());
  EXPECT_FALSE(alert.exists);
  EXPECT_EQ(alert.text, "");

  // Too short to hold the line end the program always writes.
  for (const char* shortFile : {"", "x"}) {
    Store(shortFile);
    alert = ReadAlert(program, 0);
    EXPECT_TRUE(alert.exists);
    EXPECT_EQ(alert.text, "");
  }
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(AlertFileTest, OtherReadFailuresAreReported) {
  std::filesystem::remove_all(temp.file("ann"));
  EXPECT_EQ(ReadAlert(program, 0).error.status.code(), kPathNotFound);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo error reading alert", "Path not found76"}));

  // A save that never ends is waited for, then reported.
  SetPeople({"Ann"});
  Store(kStored);
  std::unique_ptr<File> writer;
  ASSERT_OK(posix.OpenFile(workgroup.at(0).alert, FileAccess::kUpdate, &writer));
  const AlertRead held = ReadAlert(program, 0);
  EXPECT_EQ(held.error.kind, StoreError::Kind::kLocked);
  EXPECT_EQ(held.text, "");
  EXPECT_EQ(boxes.last().text, "Permission denied70");
  EXPECT_GE(env.sleptMs(), kTenPausesMinMs);
}

TEST_F(AlertFileTest, WritingReplacesTheFileAndKeepsItsMode) {
  Store(kStored);
  ::chmod(AlertFile().c_str(), 0660);
  env.SetNow({2026, 1, 2, 9, 5, 0});
  ASSERT_TRUE(WriteAlert(program, 0, "Out\r\n\xA0"));
  EXPECT_EQ(ReadWholeFile(AlertFile()), "Out\r\n\xA0\r\nPosted 9:05 AM 01-02-2026\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(AlertFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0660u);
  EXPECT_FALSE(HasWorkFile());
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(AlertFileTest, FailedWriteEndsTheProgramWithTheOldAlertWhole) {
  auto failing = [&](auto inject) {
    Store(kStored);
    inject();
    EXPECT_THROW(static_cast<void>(WriteAlert(program, 0, "New")), ProgramEnded);
    EXPECT_EQ(ReadWholeFile(AlertFile()), kStored);
    EXPECT_FALSE(HasWorkFile());
  };
  failing([&] { faults.FailNth(FileOp::kWrite, 1, kDiskFull); });
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Telvo",
                        "Error in writing alert file.\nPlease call technical support. "
                        "Unknown error  61\nProgram Ending"}));
  failing([&] { faults.ShortWriteNth(2); });
  failing([&] { faults.FailNth(FileOp::kRename, 1, kPathFileAccessError); });
  EXPECT_NE(boxes.last().text.find("Unknown error  75"), std::string::npos);
}

// The Back and Calls to lines stand between the typed text and the Posted
// line, each only when set; they are read back only from there, so an old
// alert (or one typed by hand with such words inside it) stays all text.
TEST_F(AlertFileTest, BackAndCallsToLinesAreWrittenAndReadOnlyAboveTheLastPosted) {
  AlertNote note{"Out sick\r\nPosted 8:00 AM 12-01-2026", LocalDateTime{2026, 12, 9, 9, 0, 0},
                 "Bob Brown", ""};
  ASSERT_TRUE(WriteAlert(program, 0, AlertNoteText(note)));
  const std::string written =
      "Out sick\r\nPosted 8:00 AM 12-01-2026\r\nBack 9:00 AM 12-09-2026\r\nCalls to Bob "
      "Brown\r\nPosted 4:07 PM 12-06-2026\r\n";
  EXPECT_EQ(ReadWholeFile(AlertFile()), written);
  const AlertNote read = ReadAlertNote(written.substr(0, written.size() - 2));
  EXPECT_EQ(read.text, note.text);  // the older Posted line stays text
  EXPECT_EQ(FormatMoment(*read.back), "9:00 AM 12-09-2026");
  EXPECT_EQ(read.callsTo, "Bob Brown");
  EXPECT_EQ(read.posted, "4:07 PM 12-06-2026");

  note.back.reset();
  EXPECT_EQ(AlertNoteText(note), "Out sick\r\nPosted 8:00 AM 12-01-2026\r\nCalls to Bob Brown");
  note.callsTo.clear();
  EXPECT_EQ(AlertNoteText(note), note.text);
  for (const char* old :
       {"Back 9:00 AM 12-09-2026\r\nCalls to Bob", "Out\r\nBack tomorrow\r\nPosted x",
        "Out\r\nBack 9:00 AM 12-09-2026\r\nstill out\r\nPosted x"}) {
    const AlertNote plain = ReadAlertNote(old);
    EXPECT_FALSE(plain.back) << old;
    EXPECT_TRUE(plain.callsTo.empty()) << old;
  }
}

// An alert ends at its Back moment: the taker no longer sees it, and only
// the owner's program removes it, while it is still the alert it read, and
// says so once.
TEST_F(AlertFileTest, AnAlertEndsAtItsBackMomentAndOnlyItsOwnerRemovesIt) {
  SetPeople({"Ann", "Bob"});
  SetUserIndex(1);  // Bob's workstation
  const std::string ann = "Away\r\nBack 9:00 AM 12-09-2026\r\nPosted 4:07 PM 12-06-2026";
  WriteWholeFile(temp.file("ann/ALERT.TXT"), ann + "\r\n");
  env.SetNow({2026, 12, 9, 8, 59, 0});
  EXPECT_TRUE(ReadCurrentAlert(program, 0).exists);
  env.SetNow({2026, 12, 9, 9, 0, 0});
  EXPECT_FALSE(ReadCurrentAlert(program, 0).exists);
  EXPECT_FALSE(EndMyAlertIfOver(program));  // Bob's program leaves Ann's alert alone
  EXPECT_TRUE(std::filesystem::exists(temp.file("ann/ALERT.TXT")));

  SetUserIndex(0);  // Ann's own
  bool removed = true;
  ASSERT_TRUE(store.RemoveAlertIf(workgroup.at(0), "Away\r\nother", &removed).ok());
  EXPECT_FALSE(removed);  // changed since it was read: it stays
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_TRUE(EndMyAlertIfOver(program));
  EXPECT_FALSE(std::filesystem::exists(temp.file("ann/ALERT.TXT")));
  EXPECT_FALSE(EndMyAlertIfOver(program));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.last().text, "Your alert has ended and was removed.");
}

}  // namespace
}  // namespace telvo::test
