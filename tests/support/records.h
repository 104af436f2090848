#pragma once
// The one way tests build phone-log records: the fields in the order the
// record holds them, each ended by FIELD_END, framed by its length.

#include <string>

#include "core/program_state.h"

namespace telvo::test {

struct CallFields {
  char mark = MARK_NEW;
  std::string date = "12-06-2026";
  std::string caller = "Joe";
  std::string time = "9:05 AM";
  std::string phone = "555-0100";
  std::string message = "call back (CW)";
};

std::string CallBody(const CallFields& fields);
std::string CallRecord(const CallFields& fields);
// A call from `caller` with the other fields as above.
std::string CallBody(const std::string& caller, char mark = MARK_NEW);
std::string CallRecord(const std::string& caller, char mark = MARK_NEW);

}  // namespace telvo::test
