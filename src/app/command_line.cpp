#include "app/command_line.h"

#include <algorithm>
#include <sstream>

namespace telvo {
namespace {

constexpr char kEveryCommandsOptions[] = "--help/h --version/V";

struct OptionSpec {
  std::string name;  // "--count"
  char shortName = 0;
  bool takesValue = false;
};

std::vector<OptionSpec> ReadSpecs(const std::string& text) {
  std::vector<OptionSpec> specs;
  std::istringstream words(text + " " + kEveryCommandsOptions);
  for (std::string word; words >> word;) {
    OptionSpec spec;
    const size_t slash = word.find('/');
    if (slash != std::string::npos) {
      spec.shortName = word[slash + 1];
      word.resize(slash);
    }
    spec.takesValue = !word.empty() && word.back() == '=';
    if (spec.takesValue) word.pop_back();
    spec.name = word;
    specs.push_back(spec);
  }
  return specs;
}

class Parser {
 public:
  Parser(const std::vector<std::string>& args, const OptionsOfCommand& optionsOf)
      : args_(args), optionsOf_(optionsOf), specs_(ReadSpecs("")) {}

  std::optional<CommandLine> Run(std::string* error) {
    bool optionsEnded = false;
    for (i_ = 0; i_ < args_.size(); ++i_) {
      const std::string& arg = args_[i_];
      const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
      if (arg == "--" && !optionsEnded) {
        optionsEnded = true;
      } else if (arg == "-" && !optionsEnded) {
        // Elsewhere a lone dash means standard input, which no command reads;
        // taking it as a file's name would surprise whoever typed it.
        error_ = "a lone - names no file: write ./- or put it after --";
        return Fail(error);
      } else if (!option) {
        if (!TakeWord(arg)) return Fail(error);
      } else if (!(arg[1] == '-' ? TakeLong(arg) : TakeShorts(arg))) {
        return Fail(error);
      }
    }
    return line_;
  }

 private:
  std::optional<CommandLine> Fail(std::string* error) {
    *error = error_;
    return std::nullopt;
  }

  bool TakeWord(const std::string& word) {
    if (!line_.command.empty()) {
      line_.positional.push_back(word);
      return true;
    }
    const char* options = optionsOf_(word);
    if (!options) return Refuse("unknown command " + word);
    line_.command = word;
    specs_ = ReadSpecs(options);
    return true;
  }

  bool TakeLong(const std::string& arg) {
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec* spec = Find([&](const OptionSpec& s) { return s.name == name; });
    if (!spec) return Refuse(Unknown(name));
    if (equals != std::string::npos) {
      if (!spec->takesValue) return Refuse("option " + name + " takes no value");
      return Set(*spec, arg.substr(equals + 1));
    }
    return spec->takesValue ? TakeNextAsValue(*spec) : Set(*spec, "");
  }

  bool TakeShorts(const std::string& arg) {
    for (size_t at = 1; at < arg.size(); ++at) {
      const char letter = arg[at];
      const OptionSpec* spec = Find([&](const OptionSpec& s) { return s.shortName == letter; });
      if (!spec) return Refuse(Unknown(std::string("-") + letter));
      if (!spec->takesValue) {
        Set(*spec, "");
      } else {
        return at + 1 < arg.size() ? Set(*spec, arg.substr(at + 1)) : TakeNextAsValue(*spec);
      }
    }
    return true;
  }

  bool TakeNextAsValue(const OptionSpec& spec) {
    if (i_ + 1 >= args_.size()) return Refuse("option " + spec.name + " needs a value");
    return Set(spec, args_[++i_]);
  }

  bool Set(const OptionSpec& spec, const std::string& value) {
    line_.options[spec.name] = value;
    return true;
  }

  template <typename Match>
  const OptionSpec* Find(Match match) const {
    auto it = std::find_if(specs_.begin(), specs_.end(), match);
    return it == specs_.end() ? nullptr : &*it;
  }

  std::string Unknown(const std::string& option) const {
    return line_.command.empty() ? "unknown option " + option
                                 : line_.command + " has no option " + option;
  }

  bool Refuse(const std::string& why) {
    error_ = why;
    return false;
  }

  const std::vector<std::string>& args_;
  const OptionsOfCommand& optionsOf_;
  std::vector<OptionSpec> specs_;
  CommandLine line_;
  std::string error_;
  size_t i_ = 0;
};

}  // namespace

std::string CommandLine::get(const std::string& name) const {
  auto it = options.find(name);
  return it == options.end() ? "" : it->second;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const OptionsOfCommand& optionsOf, std::string* error) {
  return Parser(args, optionsOf).Run(error);
}

std::optional<int64_t> ParseNumber(const std::string& text) {
  // 15 digits stay far below INT64_MAX, so stoll cannot overflow.
  if (text.empty() || text.size() > 15 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(text);
}

}  // namespace telvo
