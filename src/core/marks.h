#pragma once
// What each mark byte means, in one table: the first byte of a phone-log
// record's body says whether the call is new, urgent, answered or to be
// archived, and everything that shows, prints, lists or purges calls reads
// its meaning here. A byte that is none of them (a log written by hand, a
// damaged one) keeps the look of a new call and a purge drops it, as the
// program always has; only telvo-log names it, by its value.

#include <string>

#include "core/call_fields.h"

namespace telvo {

// The pictures beside a listed call.
enum class CallIcon { kPhone, kCheck, kNail, kUrgent };
// How a printout sets the call's lines apart.
enum class PrintStyle { kPlain, kStruckThrough, kUnderlined };
enum class PurgeAction { kKeep, kDrop, kArchive };

struct Mark {
  char byte;
  const char* name;  // as telvo-log shows and takes it; "" for an unknown byte
  int textColor;     // standard 16-colour palette index
  CallIcon icon;
  PrintStyle print;
  PurgeAction purge;
};

// The meaning of `byte`; a blank is the mark of calls from before marks had
// codes, and reads as new.
const Mark& MarkOf(char byte);
// The name telvo-log shows: the mark's, or "0xNN" for an unknown byte.
std::string MarkName(char byte);

}  // namespace telvo
