#include "core/options_rules.h"

#include <algorithm>

#include "core/font_ladder.h"
#include "core/text.h"

namespace telvo {
namespace {

bool IsOnList(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::string> OptionsRefusal(const std::vector<std::string>& names,
                                          std::string_view myName,
                                          std::string_view defaultRecipient) {
  if (names.empty()) return "Workgroup does not contain any names.";
  if (!IsOnList(names, myName)) return "Identify yourself---Name not on list.";
  if (!IsOnList(names, defaultRecipient)) return "Default for person---Name not on list.";
  return std::nullopt;
}

bool EndsInWgl(std::string_view fileName) {
  return fileName.size() >= 3 && UpperCase(fileName.substr(fileName.size() - 3)) == "WGL";
}

std::string FolderPartOf(std::string_view path) {
  const size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

OptionsFontSizes OptionsFontSizesAt(int steps) {
  const auto at = [](int i) { return kFontLadder[static_cast<size_t>(std::min(i, 4))]; };
  return {at(steps), at(steps + 1)};
}

}  // namespace telvo
