#include "support/program_fixture.h"

#include <filesystem>

namespace telvo::test {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

ProgramTest::ProgramTest()
    : posix(PosixEnvOptions{temp.path() + "/config/", 0, nullptr, temp.file("instance.lock")}) {
  program.store = &store;
}

void ProgramTest::SetPeople(const std::vector<std::string>& names) {
  auto resize = [&](std::vector<std::string>& slots) { slots.assign(names.size() + 1, ""); };
  for (auto* slots : {&state.PersonName, &state.PersonComputer, &state.PersonLog,
                      &state.PersonArchive, &state.PersonExport, &state.PersonAlert})
    resize(*slots);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string folder = temp.file(Lower(names[i]));
    std::filesystem::create_directories(folder);
    state.PersonName[i] = names[i];
    state.PersonComputer[i] = Upper(names[i]) + "PC";
    state.PersonLog[i] = Upper(folder) + "\\MESSAGES";
    state.PersonArchive[i] = Upper(folder) + "\\ARCHIVE";
    state.PersonExport[i] = Upper(folder) + "\\EXPORT.TXT";
    state.PersonAlert[i] = Upper(folder) + "\\ALERT.TXT";
  }
  state.PeopleCount = static_cast<int16_t>(names.size());
}

void ProgramTest::WriteWorkgroupList() {
  std::string list;
  for (int i = 0; i < state.PeopleCount; ++i) {
    const std::string folder = LogFile(i).substr(0, LogFile(i).size() - 9);
    list += state.PersonName[i] + "," + folder + "," + state.PersonComputer[i] + "," + folder +
            "/ALERT.TXT\r\n";
  }
  WriteWholeFile(temp.file("team.wgl"), list);
  state.WorkgroupPath = Upper(temp.file("team.wgl"));
}

std::string ProgramTest::LogFile(int person) const {
  return temp.file(Lower(state.PersonName[static_cast<size_t>(person)])) + "/MESSAGES";
}

}  // namespace telvo::test
