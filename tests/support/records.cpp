#include "support/records.h"

#include "store/phone_log.h"

namespace telvo::test {

std::string CallBody(const CallFields& f) {
  std::string body(1, f.mark);
  for (const std::string* field : {&f.date, &f.caller, &f.time, &f.phone, &f.message})
    body.append(*field).push_back(FIELD_END);
  return body;
}

std::string CallRecord(const CallFields& fields) { return FrameRecord(CallBody(fields)); }

std::string CallBody(const std::string& caller, char mark) {
  return CallBody(CallFields{.mark = mark, .caller = caller});
}

std::string CallRecord(const std::string& caller, char mark) {
  return FrameRecord(CallBody(caller, mark));
}

}  // namespace telvo::test
