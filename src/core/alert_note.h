#pragma once
// An alert as the program reads it: the text its owner typed, and two lines
// of the program's own that may stand directly above its last "Posted" line:
//
//   Back 9:00 AM 12-09-2026
//   Calls to Bob Brown
//
// when the owner is back (the alert ends by itself then) and who takes
// their calls meanwhile. The file stays plain text: a reader that knows
// nothing of these lines shows them as part of the alert.

#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace telvo {

struct AlertNote {
  std::string text;                   // as typed, lines joined by CR LF
  std::optional<LocalDateTime> back;  // to the minute
  std::string callsTo;                // the stand-in, as the workgroup list spells them
  std::string posted;                 // the last "Posted" line's moment, "" for none
};

// An alert as stored, without its final line end. The two lines are read
// only when they stand directly above the last "Posted" line, "Back" first,
// each on its own; anything else is text.
AlertNote ReadAlertNote(std::string_view stored);

// What is stored ahead of the "Posted" line: the text, then the lines that
// are set, joined by CR LF.
std::string AlertNoteText(const AlertNote& note);

// "h:mm AM/PM mm-dd-yyyy", the form of the "Posted" and "Back" lines.
std::string FormatMoment(const LocalDateTime& moment);
// That form read back, leading zeros optional; nothing for another text.
std::optional<LocalDateTime> ReadMoment(std::string_view text);

// Whether `note` has a Back moment that `now` has reached.
bool HasEnded(const AlertNote& note, const LocalDateTime& now);

}  // namespace telvo
