#pragma once
// The internal popup: every tick of the switch window's timer looks at the
// length of the user's own phone log and announces growth in a box. Where
// the store rings by itself (a database), the tick asks the store's
// listener for news instead.

#include <cstdint>
#include <memory>
#include <string>

#include "core/program.h"
#include "store/phone_store.h"

namespace telvo {

// What the poller remembers between ticks.
struct PollerState {
  // The watched log's length at the last tick, or after a purge of it.
  int64_t lastLength = 0;
  // Set by the first growth seen: calls that were there before the program
  // started are not announced.
  bool PollerPrimed = false;
  // The failure box was shown and the log has not been readable since, so
  // an unreachable share does not bring a box every ten seconds.
  bool failureShown = false;
  // The log the baseline belongs to; another one starts a fresh baseline.
  std::string watchedLog;
  // A box of this poller is open; a tick meanwhile must not stack another.
  bool boxOpen = false;
  // The listener of a store that rings, for the user named and the store
  // it was made by; made again when either changes.
  std::unique_ptr<CallListener> listener;
  const PhoneStore* listenerStore = nullptr;
  std::string listenerFor;
};

// One tick. Does nothing unless the user chose the internal popup and is in
// the workgroup list.
void PollerTick(Program& program, PollerState& poller);

// A purge left `log` `newLength` bytes long. When it is the log watched,
// that shrinking is no new call, and a call posted after the purge, which
// makes the log longer than this, is still announced.
void PollerSawPurge(PollerState& poller, const std::string& log, int64_t newLength);

}  // namespace telvo
