#pragma once
// The user's settings as TELVO.INI holds them, with each choice as a value
// of its own type instead of the text the file spells it with.

#include <cstdint>
#include <string>
#include <string_view>

namespace telvo {

inline constexpr int32_t kDefaultPadColor = 0xC0C0FF;

// How the user hears of new calls (Usepop=).
enum class Notification { kNone, kExternal, kInternal, kOther };
// Whether the splash screen shows at start (Splash=, which names the
// suppression: NO shows it).
enum class Splash { kShown, kSuppressed, kOther };
// Whether the pad minimizes after a delivery (Deliver=).
enum class Deliver { kMinimized, kNotMinimized, kOther };

// A choice as the file gave it. A text that names none of the known values
// is kOther and is kept, so that it can be written back as it was; it counts
// as none of the known values wherever the choice is acted on.
template <class E>
struct Choice {
  E value = E::kOther;
  std::string otherText;  // the file's text when value is kOther

  Choice() = default;
  // A known value is a choice on its own, so `choice = Deliver::kMinimized`.
  Choice(E known) : value(known) {}  // NOLINT(google-explicit-constructor)
  bool operator==(E known) const { return value == known; }
  bool operator==(const Choice&) const = default;
};

// The choice named by `text`, ignoring case; kOther keeps `text`.
template <class E>
Choice<E> ParseChoice(std::string_view text);
// The text the options dialog writes for a known value; kOther's own text.
template <class E>
std::string ChoiceText(const Choice<E>& choice);

struct Settings {
  std::string workgroupPath;  // the workgroup list, upper-cased as read
  std::string initials;
  std::string name;
  std::string defaultRecipient;
  int32_t padColor = kDefaultPadColor;
  std::string popupProgram;
  Choice<Notification> notification;
  Choice<Splash> splash;
  Choice<Deliver> deliver;
};

}  // namespace telvo
