#pragma once
// The options dialog's decisions that need no window: which refusal OK
// shows, which file names count as workgroup lists, where the file dialog
// starts, and how far the dialog's type steps down to fit.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telvo {

// The box OK shows instead of saving, or nothing when the choices may be
// saved. Names are compared exactly: the list is what the user picked from.
std::optional<std::string> OptionsRefusal(const std::vector<std::string>& names,
                                          std::string_view myName,
                                          std::string_view defaultRecipient);

// True when the name ends in "WGL", in any case.
bool EndsInWgl(std::string_view fileName);

// The folder part of `path` up to and including its last separator ("\" or
// "/"), or "" when it has none.
std::string FolderPartOf(std::string_view path);

struct OptionsFontSizes {
  double dialog;  // the list, the initials box
  double labels;  // the workgroup path, buttons, check and option buttons
};

// Steps down the font ladder, at most five times, while 24 lines of the
// dialog's type are taller than 90 units. `lineHeight` gives TH in units for
// a size in points.
template <typename LineHeight>
OptionsFontSizes ChooseOptionsFontSizes(LineHeight lineHeight);

// The sizes after `steps` steps down.
OptionsFontSizes OptionsFontSizesAt(int steps);

template <typename LineHeight>
OptionsFontSizes ChooseOptionsFontSizes(LineHeight lineHeight) {
  int steps = 0;
  while (steps < 5 && 24 * lineHeight(OptionsFontSizesAt(steps).dialog) > 90) ++steps;
  return OptionsFontSizesAt(steps);
}

}  // namespace telvo
