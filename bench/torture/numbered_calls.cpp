#include "numbered_calls.h"

#include <charconv>

#include "core/call_fields.h"
#include "core/program_state.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "store/phone_log.h"

namespace telvo::torture {

PadValues PadForCall(int64_t number) {
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "T" + std::to_string(number);
  pad.date = "12-06-2026";
  pad.time = std::to_string(1 + number % 12) + ":" + std::to_string(10 + number % 50) + " PM";
  pad.phone = "555-" + std::to_string(1000 + number % 9000);
  // A cheap mix of the number, so neighbouring calls differ in length.
  const uint64_t mixed = static_cast<uint64_t>(number) * 0x9E3779B97F4A7C15ull;
  const size_t length = 10 + (mixed >> 40) % 690;
  for (size_t i = 0; i < length; ++i)
    pad.message.push_back(static_cast<char>('a' + (mixed >> (i % 57)) % 26));
  pad.message += " #" + std::to_string(number);
  pad.urgent = number % 4 == 0;
  return pad;
}

std::string BodyOfCall(int64_t number) { return PadCallBody(PadForCall(number), kInitials); }

std::optional<int64_t> CallNumberOf(std::string_view body) {
  // The caller is the second field: behind the mark and the date.
  const size_t dateEnd = body.find(FIELD_END);
  if (dateEnd == std::string_view::npos || dateEnd + 2 > body.size() || body[dateEnd + 1] != 'T')
    return std::nullopt;
  const size_t from = dateEnd + 2;
  const size_t to = body.find(FIELD_END, from);
  if (to == std::string_view::npos) return std::nullopt;
  int64_t number = 0;
  const auto [end, error] = std::from_chars(body.data() + from, body.data() + to, number);
  if (error != std::errc() || end != body.data() + to) return std::nullopt;
  return number;
}

std::string ExportLineOfCall(int64_t number) { return ExportLine(BodyOfCall(number)); }

}  // namespace telvo::torture
