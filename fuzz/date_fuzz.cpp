// The month-first date reader over arbitrary text: whatever it accepts is a
// real calendar date, and that date written as "mm-dd-yyyy" reads back as
// itself.

#include "core/dates.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  const std::optional<Date> date = ReadDate(Bytes(data, size));
  if (!date) return 0;
  Require(IsValidDate(*date) && date->month >= 1 && date->month <= 12 && date->day >= 1 &&
              date->day <= 31 && date->year >= 0 && date->year <= 9999,
          "a date read is a calendar date");
  Require(ReadDate(FormatDate(*date)) == date, "a date written reads back as itself");
  return 0;
}
