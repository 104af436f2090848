// ReadIniFile over arbitrary text. It returns only with usable settings (a
// workgroup list that opens, initials, a default recipient whenever a name
// is given) and without a word; otherwise it asks whether to configure and,
// told no, ends the program after saying so.

#include "core/config_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  FuzzProgram p;
  p.env.Put(ConfigFilePath(p.program), std::string(Bytes(data, size)));
  // The list that a seed's "WorkGroup=/share/people.txt" names.
  p.env.Put("/SHARE/PEOPLE.TXT", "Ann,/share/ann,ANNPC,/share/ann/alert\r\n");
  Settings& settings = p.program.settings;
  bool ended = false;
  try {
    ReadIniFile(p.program);
  } catch (const ProgramEnded&) {
    ended = true;
  }
  if (ended) {
    const std::vector<MessageBox>& shown = p.boxes.shown();
    Require(shown.size() == 2 && shown[0].buttons == BoxButtons::kYesNo &&
                shown[1].text == "Ending  Telvo",
            "unusable settings are asked about once, then the program ends");
    return 0;
  }
  Require(p.boxes.shown().empty(), "usable settings are read without a word");
  Require(p.env.FileExists(settings.workgroupPath), "the workgroup list exists");
  Require(!settings.initials.empty(), "initials are given");
  Require(settings.name.empty() || !settings.defaultRecipient.empty(),
          "a person with a name has a default recipient");
  return 0;
}
