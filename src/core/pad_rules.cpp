#include "core/pad_rules.h"

#include "core/dates.h"
#include "core/text.h"

namespace telvo {
namespace {

constexpr std::string_view kPhrases[] = {"Please call.", "Will call back.", "Returned your call."};
constexpr int kLastFontStep = 4;
constexpr double kLinesThatMustFit = 24;
constexpr double kUnitsDown = 90;

}  // namespace

StampTexts StampFor(const LocalDateTime& now) {
  std::string time = FormatTime(now);
  if (time.size() > 1 && time[1] == ':') time.insert(0, 1, ' ');
  return {FormatDate(now), time};
}

bool CallerAllowsDelivery(std::string_view caller) { return !caller.empty(); }

std::string_view CannedPhrase(int index) { return kPhrases[index]; }

std::string WithCannedPhrase(std::string_view message, int index) {
  const std::string trimmed = TrimBlanks(message);
  if (trimmed.empty()) return std::string(CannedPhrase(index));
  return trimmed + " " + std::string(CannedPhrase(index));
}

std::optional<std::string> PadDate(std::string_view text) {
  const std::optional<Date> date = ReadDate(text);
  if (!date) return std::nullopt;
  return FormatDate(*date);
}

bool HoldsTypedMessage(std::string_view caller, std::string_view message, std::string_view phone) {
  return !caller.empty() || !message.empty() || !phone.empty();
}

std::string DeliverCaption(std::string_view name) {
  std::string caption = "&Deliver to ";
  for (char c : name) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

std::string StoredMessage(std::string_view padText) {
  std::string stored;
  for (char c : padText) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  return stored;
}

std::string PadMessage(std::string_view stored) {
  std::string text;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] != '\r') {
      text += stored[i];
    } else if (i + 1 >= stored.size() || stored[i + 1] != '\n') {
      text += '\n';  // a lone carriage return is a line break too
    }
  }
  return text;
}

int PadFontStep(const std::function<double(int step)>& textHeightAtStep) {
  int step = 0;
  while (step < kLastFontStep && kLinesThatMustFit * textHeightAtStep(step) > kUnitsDown) ++step;
  return step;
}

}  // namespace telvo
