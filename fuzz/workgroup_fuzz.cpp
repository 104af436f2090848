// LoadWorkgroup over arbitrary text. A list naming a database is refused,
// since no database store is given. Otherwise the people agree with the names handed
// back; no field holds a line end; myIndex and defaultIndex name the person
// whose name matches, or nobody when none does; and the poller starts once
// for every line that names the user.

#include "core/text.h"
#include "core/workgroup.h"
#include "fuzz_support.h"

namespace telvo::fuzz {
namespace {

bool HasLineEnd(const std::string& field) {
  return field.find_first_of("\r\n") != std::string::npos;
}

// The index of the last person called `name`, ignoring case, or -1.
int LastNamed(const std::vector<std::string>& names, const std::string& name) {
  int found = -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (EqualIgnoringCase(names[i], name)) found = static_cast<int>(i);
  return found;
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  FuzzProgram p;
  Settings& settings = p.program.settings;
  settings.workgroupPath = "\\SHARE\\PEOPLE.TXT";
  p.env.Put(settings.workgroupPath, std::string(Bytes(data, size)));
  settings.name = "ann";
  settings.defaultRecipient = "Bob Smith";
  settings.notification = Notification::kInternal;
  int pollerStarts = 0;
  p.program.hooks.StartPoller = [&] { ++pollerStarts; };
  std::vector<std::string> names;
  // A list that names a database (this program has no database to ask) or
  // holds a database line that cannot be used is refused in a box, and
  // changes no one.
  std::string refusal;
  const std::string bytes(Bytes(data, size));
  if (DatabaseWorkgroupOf(bytes, &refusal) || !refusal.empty()) {
    Require(!LoadWorkgroup(p.program, names).ok(), "a database list is refused here");
    Require(names.empty() && p.program.workgroup.empty() && p.boxes.shown().size() == 1,
            "a refused database list changes no one and says why once");
    return 0;
  }
  Require(LoadWorkgroup(p.program, names).ok(), "a list that can be read loads");
  Require(p.boxes.shown().empty(), "a list that can be read loads without a word");

  const Workgroup& people = p.program.workgroup;
  Require(names.size() == people.people().size(), "one name per person");
  for (size_t i = 0; i < names.size(); ++i) {
    const Person& person = people.people()[i];
    for (const std::string* field : {&person.name, &person.computer, &person.log, &person.archive,
                                     &person.exportFile, &person.alert}) {
      Require(!HasLineEnd(*field), "no field holds a line end");
    }
    Require(person.name == names[i], "the names handed back are the people's");
    Require(person.log.ends_with("\\MESSAGES") && person.archive.ends_with("\\ARCHIVE"),
            "every person has a log and an archive");
  }
  Require(people.myIndex() == LastNamed(names, settings.name), "myIndex is the user's line");
  Require(people.defaultIndex() == LastNamed(names, settings.defaultRecipient),
          "defaultIndex is the default recipient's line");
  int mine = 0;
  for (const std::string& name : names) mine += EqualIgnoringCase(name, settings.name) ? 1 : 0;
  Require(pollerStarts == mine, "the poller starts for each line that names the user");
  return 0;
}
