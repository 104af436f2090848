#pragma once
// The one way tests build phone-log records: a call with the fields a test
// leaves out filled in, built into a body by the program's own builder
// (core/call_fields.h) and framed by its length.

#include <string>

#include "core/call_fields.h"

namespace telvo::test {

struct TestCall {
  char mark = MARK_NEW;
  std::string date = "12-06-2026";
  std::string caller = "Joe";
  std::string time = "9:05 AM";
  std::string phone = "555-0100";
  std::string message = "call back (CW)";
};

std::string CallBody(const TestCall& call);
std::string CallRecord(const TestCall& call);
// A call from `caller` with the other fields as above.
std::string CallBody(const std::string& caller, char mark = MARK_NEW);
std::string CallRecord(const std::string& caller, char mark = MARK_NEW);

}  // namespace telvo::test
