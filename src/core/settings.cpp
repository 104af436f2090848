#include "core/settings.h"

#include <span>

#include "core/text.h"

namespace telvo {
namespace {

template <class E>
struct Named {
  E value;
  std::string_view text;
};

// Spelt as the options dialog writes them.
constexpr Named<Notification> kNotificationTexts[] = {{Notification::kNone, "NO"},
                                                      {Notification::kExternal, "EXTERNAL"},
                                                      {Notification::kInternal, "INTERNAL"}};
constexpr Named<Splash> kSplashTexts[] = {{Splash::kShown, "NO"}, {Splash::kSuppressed, "YES"}};
constexpr Named<Deliver> kDeliverTexts[] = {{Deliver::kMinimized, "Minimized"},
                                            {Deliver::kNotMinimized, "NotMinimized"}};

// The argument only picks the table.
std::span<const Named<Notification>> TextsOf(Notification) { return kNotificationTexts; }
std::span<const Named<Splash>> TextsOf(Splash) { return kSplashTexts; }
std::span<const Named<Deliver>> TextsOf(Deliver) { return kDeliverTexts; }

}  // namespace

template <class E>
Choice<E> ParseChoice(std::string_view text) {
  for (const Named<E>& named : TextsOf(E{})) {
    if (EqualIgnoringCase(text, named.text)) return named.value;
  }
  Choice<E> other;
  other.otherText = text;
  return other;
}

template <class E>
std::string ChoiceText(const Choice<E>& choice) {
  for (const Named<E>& named : TextsOf(E{})) {
    if (named.value == choice.value) return std::string(named.text);
  }
  return choice.otherText;
}

template Choice<Notification> ParseChoice<Notification>(std::string_view);
template Choice<Splash> ParseChoice<Splash>(std::string_view);
template Choice<Deliver> ParseChoice<Deliver>(std::string_view);
template std::string ChoiceText(const Choice<Notification>&);
template std::string ChoiceText(const Choice<Splash>&);
template std::string ChoiceText(const Choice<Deliver>&);

}  // namespace telvo
