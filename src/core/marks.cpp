#include "core/marks.h"

namespace telvo {
namespace {

constexpr Mark kMarks[] = {
    {MARK_NEW, "new", 0, CallIcon::kPhone, PrintStyle::kPlain, PurgeAction::kKeep},
    {MARK_IMPORTANT, "important", 9, CallIcon::kUrgent, PrintStyle::kUnderlined,
     PurgeAction::kKeep},
    {MARK_DELETE, "delete", 7, CallIcon::kCheck, PrintStyle::kStruckThrough, PurgeAction::kDrop},
    {MARK_ARCHIVE, "archive", 12, CallIcon::kNail, PrintStyle::kStruckThrough,
     PurgeAction::kArchive},
    {' ', "new", 0, CallIcon::kPhone, PrintStyle::kPlain, PurgeAction::kKeep},
};
constexpr Mark kUnknown = {0, "", 0, CallIcon::kPhone, PrintStyle::kPlain, PurgeAction::kDrop};

}  // namespace

const Mark& MarkOf(char byte) {
  for (const Mark& mark : kMarks)
    if (mark.byte == byte) return mark;
  return kUnknown;
}

std::string MarkName(char byte) {
  const Mark& mark = MarkOf(byte);
  if (*mark.name) return mark.name;
  const char* digits = "0123456789ABCDEF";
  const auto value = static_cast<unsigned char>(byte);
  return std::string("0x") + digits[value >> 4] + digits[value & 15];
}

}  // namespace telvo
