#include "store/forward_export.h"

#include <gtest/gtest.h>

#include "store/call_actions.h"
#include "store/phone_log.h"
#include "store/post_message.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

const std::string kBody =
    "\x01" "12-06-2025\x11" "Joe \"JJ\" Smith\x11" "9:05 AM\x11" "\x11" "Say \"hi\" (AB)\x11";

class NoView : public CallPageView {
 public:
  void RedrawRow() override { ++redraws; }
  void ShowNewestPage() override { ++relists; }
  int redraws = 0, relists = 0;
};

class ForwardExportTest : public ProgramTest {
 protected:
  ForwardExportTest() {
    SetPeople({"Ann", "Bob"});
    state.MyInitials = "CW";
    state.SelectedPerson = 0;
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
    original = FrameRecord(kBody);
    WriteWholeFile(LogFile(0), original);
    state.PageStart[0] = 0;
    state.PageText[0] = kBody;
    state.PageRow = 0;
  }

  void Apply(int16_t action) {
    state.CallAction = action;
    ApplyCallAction(program, view);
  }
  std::string Export() const { return ReadWholeFile(temp.file("ann") + "/EXPORT.TXT"); }

  std::string original;
  NoView view;
};

TEST_F(ForwardExportTest, DeliveredForwardMarksTheCallForDeletion) {
  PadValues shown;
  program.hooks.ForwardThroughPad = [&](const PadValues& pad) {
    shown = pad;
    EXPECT_EQ(state.ForwardMode, 1);
    EXPECT_EQ(state.SkipSwitch, 1);
    PadValues delivered = pad;
    delivered.selectedIndex = 1;
    PostMessage(program, delivered);
    return state.FileError == 0;
  };
  boxes.Answer(kAnswerYes);
  Apply(kActionForward);

  EXPECT_EQ(boxes.shown()[0], (MessageBox{"Forward Phone Call",
                                          "Do you want to forward this call to someone else?",
                                          BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}));
  EXPECT_EQ(shown.caller, "Joe \"JJ\" Smith");
  EXPECT_EQ(shown.date, "12-06-2025");
  EXPECT_EQ(shown.time, "9:05 AM");
  EXPECT_EQ(shown.message, "Say \"hi\" (AB) [Forwarded] 12-06-2026");
  EXPECT_NE(Log(1).find("Say \"hi\" (AB) [Forwarded] 12-06-2026 (CW)\x11"), std::string::npos);
  std::string marked = original;
  marked[2] = MARK_DELETE;
  EXPECT_EQ(Log(0), marked);
  EXPECT_EQ(view.redraws, 1);
  EXPECT_EQ(state.CurrentLogPath, state.PersonLog[0]);
  EXPECT_EQ(state.ForwardMode, 0);
  EXPECT_EQ(state.SkipSwitch, 0);
}

TEST_F(ForwardExportTest, UndeliveredForwardsAndExportsWriteNoMark) {
  // Declined: the pad is never shown.
  int padsShown = 0;
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    ++padsShown;
    return false;
  };
  Apply(kActionForward);
  EXPECT_EQ(padsShown, 0);

  // The pad closed without a delivery while the owner marked the call
  // important on another workstation: that mark stays.
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    std::string bytes = original;
    bytes[2] = MARK_IMPORTANT;
    WriteWholeFile(LogFile(0), bytes);
    return false;  // ForwardMode is still 1, as the pad's close box leaves it
  };
  boxes.Answer(kAnswerYes);
  Apply(kActionForward);
  EXPECT_EQ(Log(0)[2], MARK_IMPORTANT);
  EXPECT_EQ(state.RecordText[0], MARK_IMPORTANT);  // the row is redrawn from the file

  boxes.Answer(kAnswerYes);
  Apply(kActionExport);
  EXPECT_EQ(faults.count(FileOp::kWrite), 1);  // the export line only
  EXPECT_EQ(Log(0)[2], MARK_IMPORTANT);

  // Delivered, but the log was purged while the pad was open.
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    WriteWholeFile(LogFile(0), "");
    return true;
  };
  boxes.Answer(kAnswerYes);
  Apply(kActionForward);
  EXPECT_EQ(boxes.last().text.substr(0, 36), "Purge was performed by another user.");
  EXPECT_EQ(Log(0), "");
  EXPECT_EQ(view.relists, 1);
}

TEST_F(ForwardExportTest, ForwardKeepsTheViewedLogWhenThePadReloadsTheList) {
  program.hooks.ForwardThroughPad = [&](const PadValues&) {
    SetPeople({"Bob", "Carl", "Ann"});  // the list changed meanwhile
    state.SelectedPerson = 1;
    state.CurrentLogPath = state.PersonLog[1];
    return false;
  };
  const std::string viewed = state.CurrentLogPath;
  boxes.Answer(kAnswerYes);
  Apply(kActionForward);
  EXPECT_EQ(state.CurrentLogPath, viewed);
  EXPECT_EQ(state.CurrentLogOwner, "Ann");
  EXPECT_EQ(state.SelectedPerson, 2);
}

TEST_F(ForwardExportTest, ExportAppendsOneCsvLinePerExport) {
  const std::string line =
      "\"12-06-2025\",\"9:05 AM\",\"Joe \"\"JJ\"\" Smith\",\"\",\"Say \"\"hi\"\" (AB)\"\r\n";
  boxes.Answer(kAnswerYes);
  Apply(kActionExport);
  EXPECT_EQ(boxes.shown()[0],
            (MessageBox{"Telvo", "Joe \"JJ\" Smith\rDo you want to export this message",
                        BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}));
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Joe \"JJ\" Smith\rMessage exported.", BoxIcon::kNone}));
  boxes.Answer(kAnswerYes);
  Apply(kActionExport);
  EXPECT_EQ(Export(), line + line);
  EXPECT_EQ(Log(0), original);

  ExportCall(program);  // declined
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Message NOT exported", BoxIcon::kStop}));

  // A write cut short is cut off again and reported; the program goes on.
  faults.ShortWriteNth(faults.count(FileOp::kWrite) + 1);
  boxes.Answer(kAnswerYes);
  ExportCall(program);
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Telvo", "The message was not exported.\rDisk full 61", BoxIcon::kStop}));
  EXPECT_EQ(Export(), line + line);

  state.CurrentLogPath = temp.file("gone") + "\\MESSAGES";
  boxes.Answer(kAnswerYes);
  ExportCall(program);
  EXPECT_EQ(boxes.last().text, "The message was not exported.\rPath not found 76");
}

}  // namespace
}  // namespace telvo::test
