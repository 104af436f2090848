#pragma once
// The message pad's rules about its texts, apart from its widgets: what the
// date and time are stamped with, how a canned phrase joins the message,
// which dates pass, and when the pad must ask before it goes.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace telvo {

struct StampTexts {
  std::string date;  // "mm-dd-yyyy"
  std::string time;  // "h:mm AM/PM", always eight characters
};

// A one-digit hour gets a blank in front, so every time lines up in its box.
StampTexts StampFor(const LocalDateTime& now);

// OK, the date and the time are usable exactly while a caller is typed;
// blanks count as typed, PostMessage refuses them later.
bool CallerAllowsDelivery(std::string_view caller);

// The phrases of the three canned buttons, 0 to 2.
std::string_view CannedPhrase(int index);
// The message with a canned phrase added: blanks at its ends give way to one
// blank before the phrase; line breaks stay where they are.
std::string WithCannedPhrase(std::string_view message, int index);

// The pad's date box as "mm-dd-yyyy", read month first; nothing when the
// text is not a date.
std::optional<std::string> PadDate(std::string_view text);

// Whether leaving the pad must offer to deliver what it holds.
bool HoldsTypedMessage(std::string_view caller, std::string_view message, std::string_view phone);

// The OK button's caption once a person is selected. An ampersand in a name
// would mark a shortcut letter and vanish, so it is doubled.
std::string DeliverCaption(std::string_view name);

// The edit box keeps "\n" between lines, the phone log "\r\n".
std::string StoredMessage(std::string_view padText);
std::string PadMessage(std::string_view stored);

// How many steps down the font ladder the pad goes (0 to 4), given the text
// height in layout units at each step: it steps while 24 lines would be
// taller than 90 units, and stays at the last step whatever it measures.
int PadFontStep(const std::function<double(int step)>& textHeightAtStep);

}  // namespace telvo
