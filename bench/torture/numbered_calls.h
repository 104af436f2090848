#pragma once
// The calls of the torture run. Each is known by a number that no other call
// of the run has; its caller is "T<number>" and every other field follows
// from the number, so any record found in a file can be checked byte for
// byte against the call it claims to be.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/pad_values.h"

namespace telvo::torture {

// The initials every poster signs with.
inline constexpr const char* kInitials = "TR";

// The pad that posts call `number` to person 0. Messages vary in length
// (about 10 to 700 bytes) so records fall across block and page boundaries.
PadValues PadForCall(int64_t number);

// The record body PostMessage writes for call `number`, mark included.
std::string BodyOfCall(int64_t number);

// The call a record body names, when its caller field is "T<number>".
std::optional<int64_t> CallNumberOf(std::string_view body);

// The line ExportCall appends for call `number`, CR LF included.
std::string ExportLineOfCall(int64_t number);

}  // namespace telvo::torture
