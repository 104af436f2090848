#include "service/forward_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "service/call_actions.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

// An empty phone and quotation marks in two fields.
const TestCall kCall{
    .date = "12-06-2025", .caller = "Joe \"JJ\" Smith", .phone = "", .message = "Say \"hi\" (AB)"};

class ForwardExportTest : public ProgramTest, public CallPageView {
 protected:
  ForwardExportTest() {
    SetPeople({"Ann", "Bob"});
    settings.initials = "CW";
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
    WriteWholeFile(LogFile(0), original);
  }
  const Call* ShownCall(int row) const override { return row == 0 ? &shown : nullptr; }
  void RedrawRow(int, const Call& call) override {
    ++redraws;
    redrawnMark = call.body[0];
  }
  void ShowNewestPage() override { ++relists; }

  // Runs an action on row 0, answering Yes to its question.
  void Apply(int16_t action) {
    boxes.Answer(kAnswerYes);
    ApplyCallAction(program, *this, 0, action);
  }

  const std::string original = CallRecord(kCall);
  const Call shown{CallId::Of(0, CallBody(kCall)), CallBody(kCall)};  // row 0 starts at byte 0
  int redraws = 0, relists = 0;
  char redrawnMark = 0;
};

TEST_F(ForwardExportTest, OnlyADeliveredForwardWritesAMarkAndExportsAppendLines) {
  // Declined at the question.
  ApplyCallAction(program, *this, 0, kActionForward);
  EXPECT_EQ(boxes.last().text, "Do you want to forward this call to someone else?");
  // The pad closed without a delivery while the owner marked the call
  // important elsewhere; then two exports and a declined one. None writes the log.
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    WriteWholeFile(LogFile(0), std::string(original).replace(2, 1, 1, MARK_IMPORTANT));
    return false;
  };
  Apply(kActionForward);
  Apply(kActionExport);
  Apply(kActionExport);
  ExportCall(program, shown);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Message NOT exported", BoxIcon::kStop}));
  const std::string line =
      "\"12-06-2025\",\"9:05 AM\",\"Joe \"\"JJ\"\" Smith\",\"\",\"Say \"\"hi\"\" (AB)\"\r\n";
  EXPECT_EQ(ReadWholeFile(temp.file("ann/EXPORT.TXT")), line + line);
  EXPECT_EQ(faults.count(FileOp::kWrite), 2);  // the export lines only
  EXPECT_EQ(Log(0)[2], MARK_IMPORTANT);
  EXPECT_EQ(redrawnMark, MARK_IMPORTANT);  // the row is redrawn from the file

  // Delivered from the pad it filled in: the call is marked for deletion.
  program.hooks.ForwardThroughPad = [&](PadValues pad) {
    pad.selectedIndex = 1;
    return PostMessage(program, pad);
  };
  Apply(kActionForward);
  TestCall forwarded = kCall;
  forwarded.message += " [Forwarded] 12-06-2026 (CW)";
  EXPECT_EQ(Log(1), CallRecord(forwarded));
  EXPECT_EQ(Log(0), std::string(original).replace(2, 1, 1, MARK_DELETE));
  EXPECT_EQ(redraws, 5);

  // Delivered, but the log was purged while the pad was open.
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    WriteWholeFile(LogFile(0), "");
    return true;
  };
  Apply(kActionForward);
  EXPECT_EQ(boxes.last().text.substr(0, 36), "Purge was performed by another user.");
  EXPECT_EQ(Log(0), "");
  EXPECT_EQ(relists, 1);
}

TEST_F(ForwardExportTest, AnExportThatFailsSaysSoAndTheProgramGoesOn) {
  std::filesystem::create_directories(temp.file("ann/EXPORT.TXT"));
  Apply(kActionExport);
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Telvo", "The message was not exported.\rPath/File access error 75",
                        BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(Log(0), original);
  EXPECT_EQ(redraws, 1);

  // A first export that finds the disk full leaves no empty EXPORT.TXT.
  std::filesystem::remove(temp.file("ann/EXPORT.TXT"));
  faults.FailNth(FileOp::kWrite, faults.count(FileOp::kWrite) + 1, kDiskFull);
  Apply(kActionExport);
  EXPECT_EQ(boxes.last().text, "The message was not exported.\rDisk full 61");
  EXPECT_FALSE(std::filesystem::exists(temp.file("ann/EXPORT.TXT")));
}

TEST_F(ForwardExportTest, ForwardGivesBackTheViewedLogWhenThePadReloadsTheList) {
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    SetPeople({"Bob", "Carl", "Ann"});  // the list changed meanwhile
    state.viewed.person = 1;
    state.viewed.book = FolderBook("Carl", workgroup.at(1).log);
    return false;
  };
  const std::string viewed = state.viewed.book.file();
  Apply(kActionForward);
  EXPECT_EQ(state.viewed.book.file(), viewed);
  EXPECT_EQ(state.viewed.book.owner.name, "Ann");
  EXPECT_EQ(state.viewed.person, 2);

  // Ann has left the list: her log is still the one viewed, but no index
  // may name the colleague who took her place.
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    SetPeople({"Bob", "Carl"});
    state.viewed.person = 0;
    return false;
  };
  Apply(kActionForward);
  EXPECT_EQ(state.viewed.book.file(), viewed);
  EXPECT_EQ(state.viewed.book.owner.name, "Ann");
  EXPECT_EQ(state.viewed.person, -1);
}

// A forward of the user's own call starts with the stand-in their alert
// names, until the alert has ended.
TEST_F(ForwardExportTest, AForwardOfMyOwnCallStartsWithMyStandIn) {
  SetUserIndex(0);
  WriteWholeFile(
      temp.file("ann/ALERT.TXT"),
      "Away\r\nBack 9:00 AM 12-09-2026\r\nCalls to BOB\r\nPosted 8:00 AM 12-06-2026\r\n");
  std::vector<int> starts;
  program.hooks.ForwardThroughPad = [&](const PadValues& pad) {
    starts.push_back(pad.selectedIndex);
    return false;
  };
  Apply(kActionForward);
  env.SetNow({2026, 12, 9, 9, 0, 0});
  Apply(kActionForward);
  EXPECT_EQ(starts, (std::vector<int>{1, -1}));
}

}  // namespace
}  // namespace telvo::test
