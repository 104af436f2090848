#pragma once
// The words of a telvo-log command line, sorted into the command, its
// positional arguments and its options, as GNU tools sort them: long options
// as "--name VALUE" or "--name=VALUE", short ones as "-x", "-xVALUE" or
// "-x VALUE", clusters of short flags ("-ay"), options before or after the
// arguments, and "--" ending the options. A word that starts with a dash,
// a lone "-" among them, is never taken as an argument, so no file named
// "-h" is ever written.

#include <cstdint>
#include <functional>
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

// The options a command accepts, as words separated by blanks: "--tsv" for a
// flag, "--count=" for one that takes a value, a short form after a slash
// ("--all/a", "--count=/n"). Null for a command that does not exist.
using OptionsOfCommand = std::function<const char*(const std::string& command)>;

// -h/--help and -V/--version are understood everywhere. Returns nothing,
// with `error` set, for an unknown command or option, a flag given a value,
// an option whose value is missing, or a lone "-" before "--".
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const OptionsOfCommand& optionsOf, std::string* error);

// A byte offset or a count: decimal digits only, so "-1" or "1e3" is refused
// rather than read as something the user did not mean.
std::optional<int64_t> ParseNumber(const std::string& text);

}  // namespace telvo
