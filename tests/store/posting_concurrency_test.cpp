// Posting from several processes at once, as several workstations do.

#include <gtest/gtest.h>

#include <map>

#include "core/call_fields.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/processes.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

// A workstation of its own: the real clock, no boxes on screen.
int PostFromChild(const Program& parent, int poster, int count) {
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  FolderStore programStore(env);
  program.store = &programStore;
  program.state = parent.state;
  program.settings = parent.settings;
  program.workgroup = parent.workgroup;
  program.settings.initials = "P" + std::to_string(poster);
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    const PadValues pad{.selectedIndex = 0,
                        .caller = "Poster " + std::to_string(poster),
                        .date = "12-06-2026",
                        .time = "9:05 AM",
                        .phone = "",
                        .message = std::to_string(i)};
    // Waiters all wake on the same second, and a poster on a long run can
    // outlast one person's eleven tries; that person then presses OK again,
    // and nothing was written by the refused try.
    bool delivered = false;
    for (int attempt = 0; attempt < 5 && !delivered; ++attempt)
      delivered = PostMessage(program, pad);
    failures += !delivered;
  }
  for (const MessageBox& box : boxes.shown()) failures += box.text != "Message file is locked up";
  return failures;
}

class PostingConcurrencyTest : public ProgramTest {
 protected:
  PostingConcurrencyTest() {
    SetPeople({"Ann"});
    // No workstation to notify: the children send no datagrams.
    ClearComputers();
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }
};

TEST_F(PostingConcurrencyTest, EightProcessesLoseNoRecord) {
  constexpr int kPosters = 8, kEach = 200;
  auto children = ForkTogether(kPosters, [&](int k) { return PostFromChild(program, k, kEach); });
  EXPECT_EQ(WaitAll(children), 0);

  std::map<std::string, std::vector<int>> seen;  // poster -> message numbers in file order
  std::unique_ptr<File> log;
  int64_t length = 0;
  ASSERT_OK(env.OpenFile(workgroup.at(0).log, FileAccess::kRead, &log));
  ASSERT_OK(log->Length(&length));
  RecordRead end = WalkForward(*log, length, 0, [&](const Record& r) {
    const CallFields call = ParseCallBody(r.body);
    seen[call.caller].push_back(std::stoi(call.message));
    return true;
  });
  EXPECT_EQ(end.outcome, ReadOutcome::kNone);
  ASSERT_EQ(seen.size(), static_cast<size_t>(kPosters));
  for (auto& [poster, numbers] : seen) {
    SCOPED_TRACE(poster);
    ASSERT_EQ(numbers.size(), static_cast<size_t>(kEach));
    for (int i = 0; i < kEach; ++i) EXPECT_EQ(numbers[static_cast<size_t>(i)], i);
  }
  int backward = 0;
  end = WalkBackward(*log, length, [&](const Record&) { return ++backward > 0; });
  EXPECT_EQ(end.outcome, ReadOutcome::kNone);
  EXPECT_EQ(backward, kPosters * kEach);
}

}  // namespace
}  // namespace telvo::test
