#include "service/poller.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "service/store_messages.h"
#include "store/phone_store.h"

namespace telvo {
namespace {

// The user, or nobody (whose log is "") when the user is not in the list.
const Person& Me(const Program& program) {
  static const Person kNobody;
  if (program.settings.notification != Notification::kInternal) return kNobody;
  return program.workgroup.at(program.workgroup.myIndex());
}

// Shows a box with the poller marked busy, so a tick that comes while it is
// open (the timer keeps running under a modal box) leaves it alone.
void ShowBox(Program& program, PollerState& poller, const MessageBox& box) {
  poller.boxOpen = true;
  program.boxes.Show(box);
  poller.boxOpen = false;
}

void ReportUnreadable(Program& program, PollerState& poller, const Status& failure) {
  if (poller.failureShown) return;
  poller.failureShown = true;
  ShowBox(program, poller,
          {"Telvo",
           "Internal popup error finding my file. " + failure.description() + " " +
               std::to_string(failure.code()),
           BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
}

void AnnounceNewCalls(Program& program, PollerState& poller) {
  MessageBox box{"Telvo", "Telvo message posted.", BoxIcon::kInformation, BoxButtons::kOk,
                 kAnswerOk};
  box.keepAbove = true;
  ShowBox(program, poller, box);
}

// The user's calls as the store's listener tells of them: it sets its own
// starting point, so calls that were waiting are not announced, and after a
// lost connection it brings the calls posted meanwhile.
void ListenerTick(Program& program, PollerState& poller, const Person& me) {
  if (me.name.empty()) return;
  if (!poller.listener || poller.listenerStore != program.store || poller.listenerFor != me.name) {
    poller.listener = program.store->ListenFor(me);
    poller.listenerStore = program.store;
    poller.listenerFor = me.name;
    poller.failureShown = false;
  }
  std::vector<Call> news;
  const StoreError looked = poller.listener->TakeNews(&news);
  if (!looked.ok()) {
    if (std::exchange(poller.failureShown, true)) return;
    return ShowBox(
        program, poller,
        {"Telvo", DatabaseFailureText(looked), BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
  }
  poller.failureShown = false;
  if (!news.empty()) AnnounceNewCalls(program, poller);
}

}  // namespace

void PollerTick(Program& program, PollerState& poller) {
  if (poller.boxOpen) return;
  const Person& me = Me(program);
  if (program.store->NotifiesRecipients()) return ListenerTick(program, poller, me);
  poller.listener.reset();
  const std::string& log = me.log;
  if (log.empty()) return;
  if (log != poller.watchedLog) {
    // Another user or workgroup: the new log's calls are not news.
    poller.watchedLog = log;
    poller.PollerPrimed = false;
    poller.failureShown = false;
    poller.lastLength = 0;
  }

  int64_t length = 0;
  const StoreError measured = program.store->Watermark(me, &length);
  if (!measured.ok()) return ReportUnreadable(program, poller, measured.status);
  poller.failureShown = false;

  if (length > poller.lastLength && poller.PollerPrimed) {
    AnnounceNewCalls(program, poller);
  } else if (length > poller.lastLength) {
    poller.PollerPrimed = true;
  }
  // Also after a purge made the log shorter: growth counts from there.
  poller.lastLength = length;
}

void PollerSawPurge(PollerState& poller, const std::string& log, int64_t newLength) {
  if (log == poller.watchedLog) poller.lastLength = newLength;
}

}  // namespace telvo
