#include "core/call_fields.h"

#include <algorithm>

#include "core/text.h"

namespace telvo {

CallFields ParseCallBody(std::string_view body) {
  CallFields fields;
  fields.mark = std::string(body.substr(0, 1));
  std::string* parts[] = {&fields.date, &fields.caller, &fields.time, &fields.phone,
                          &fields.message};
  size_t pos = body.empty() ? 0 : 1;
  for (std::string* part : parts) {
    size_t end = body.find(FIELD_END, pos);
    if (end == std::string_view::npos) end = body.size();
    *part = std::string(body.substr(pos, end - pos));
    pos = end < body.size() ? end + 1 : body.size();
  }
  return fields;
}

std::string CallBody(const CallFields& fields) {
  std::string body = fields.mark;
  for (const std::string* part :
       {&fields.date, &fields.caller, &fields.time, &fields.phone, &fields.message}) {
    body.append(*part).push_back(FIELD_END);
  }
  return body;
}

std::string PadCallBody(const PadValues& pad, const std::string& initials) {
  return CallBody({std::string(1, pad.urgent ? MARK_IMPORTANT : MARK_NEW), TrimBlanks(pad.date),
                   TrimBlanks(pad.caller), TrimBlanks(pad.time), TrimBlanks(pad.phone),
                   TrimBlanks(pad.message) + " (" + initials + ")"});
}

bool HasItsFields(std::string_view body) {
  return !body.empty() && body.back() == FIELD_END &&
         std::count(body.begin(), body.end(), FIELD_END) == 5;
}

std::string ArchivedBody(std::string_view body) {
  if (HasItsFields(body)) return std::string(body);
  std::string rebuilt = CallBody(ParseCallBody(body));
  return rebuilt.size() > static_cast<size_t>(kMaxBodyLength) ? std::string(body) : rebuilt;
}

}  // namespace telvo
