#pragma once
// The words of a telvo-log command line, sorted into the command, its
// positional arguments and its options.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace telvo {

struct CommandLine {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--x" -> value ("" for flags)

  bool has(const std::string& name) const { return options.count(name) > 0; }
  std::string get(const std::string& name) const;
};

// Every option but the known flags takes the word after it as its value.
// Returns nothing, with `error` set, when that word is missing.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error);

// A byte offset or a count: decimal digits only, so "-1" or "1e3" is refused
// rather than read as something the user did not mean.
std::optional<int64_t> ParseNumber(const std::string& text);

}  // namespace telvo
