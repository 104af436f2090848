#pragma once
// A call's body as every store keeps it: a mark byte, then date, caller,
// time, phone and message, each ended by FIELD_END. The one place that
// builds a body and the one that takes it apart.

#include <string>
#include <string_view>

#include "core/pad_values.h"

namespace telvo {

// Disposition marks: the first byte of a body (core/marks.h says what each
// means).
inline constexpr char MARK_NEW = 0x01;
inline constexpr char MARK_DELETE = 0x02;
inline constexpr char MARK_ARCHIVE = 0x03;
inline constexpr char MARK_IMPORTANT = 0x04;
// The byte behind every field of a body.
inline constexpr char FIELD_END = 0x11;
// The most a record's 16-bit length can frame.
inline constexpr int kMaxBodyLength = 32767;

struct CallFields {
  std::string mark;  // the first byte, or "" for an empty body
  std::string date, caller, time, phone, message;
};

// Fields are cut at FIELD_END; a body with fewer gives empty fields at the
// end, and whatever follows a fifth is not read.
CallFields ParseCallBody(std::string_view body);
// The fields, each ended by FIELD_END, behind the mark.
std::string CallBody(const CallFields& fields);
// A new call from the pad: blanks trimmed from every field, the taker's
// initials behind the message, marked urgent or new.
std::string PadCallBody(const PadValues& pad, const std::string& initials);
// Does the body hold its mark and exactly five fields, as every body the
// program writes does?
bool HasItsFields(std::string_view body);
// The body a call moved to the archive keeps there: its own when it holds
// its five fields, else one written anew from its parsed fields (the same
// bytes for every body the program writes), unless that would outgrow a
// record. Every store archives by this rule.
std::string ArchivedBody(std::string_view body);

}  // namespace telvo
