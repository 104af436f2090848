#include "app/command_line.h"

#include <algorithm>

namespace telvo {
namespace {

const std::vector<std::string> kFlags = {"--all", "--tsv", "--urgent", "--yes", "--help"};

bool IsFlag(const std::string& arg) {
  return std::find(kFlags.begin(), kFlags.end(), arg) != kFlags.end();
}

}  // namespace

std::string CommandLine::get(const std::string& name) const {
  auto it = options.find(name);
  return it == options.end() ? "" : it->second;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (line.command.empty()) {
        line.command = arg;
      } else {
        line.positional.push_back(arg);
      }
    } else if (IsFlag(arg)) {
      line.options[arg] = "";
    } else if (i + 1 < args.size()) {
      line.options[arg] = args[++i];
    } else {
      *error = "option " + arg + " needs a value";
      return std::nullopt;
    }
  }
  return line;
}

std::optional<int64_t> ParseNumber(const std::string& text) {
  // 15 digits stay far below INT64_MAX, so stoll cannot overflow.
  if (text.empty() || text.size() > 15 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(text);
}

}  // namespace telvo
