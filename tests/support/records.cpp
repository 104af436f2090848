#include "support/records.h"

#include "store/phone_log.h"

namespace telvo::test {

std::string CallBody(const TestCall& call) {
  return telvo::CallBody(
      {std::string(1, call.mark), call.date, call.caller, call.time, call.phone, call.message});
}

std::string CallRecord(const TestCall& call) { return FrameRecord(CallBody(call)); }

std::string CallBody(const std::string& caller, char mark) {
  return CallBody(TestCall{.mark = mark, .caller = caller});
}

std::string CallRecord(const std::string& caller, char mark) {
  return FrameRecord(CallBody(caller, mark));
}

}  // namespace telvo::test
