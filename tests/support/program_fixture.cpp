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
  std::vector<Person> people;
  for (const std::string& name : names) {
    const std::string folder = temp.file(Lower(name));
    std::filesystem::create_directories(folder);
    people.push_back({.name = name,
                      .computer = Upper(name) + "PC",
                      .log = Upper(folder) + "\\MESSAGES",
                      .archive = Upper(folder) + "\\ARCHIVE",
                      .exportFile = Upper(folder) + "\\EXPORT.TXT",
                      .alert = Upper(folder) + "\\ALERT.TXT"});
  }
  workgroup.Replace(std::move(people), workgroup.myIndex(), workgroup.defaultIndex());
}

void ProgramTest::SetUserIndex(int index) {
  workgroup.Replace(workgroup.people(), index, workgroup.defaultIndex());
}

void ProgramTest::ClearComputers() {
  std::vector<Person> people = workgroup.people();
  for (Person& person : people) person.computer.clear();
  workgroup.Replace(std::move(people), workgroup.myIndex(), workgroup.defaultIndex());
}

void ProgramTest::WriteWorkgroupList() {
  std::string list;
  for (int i = 0; i < workgroup.size(); ++i) {
    const std::string folder = LogFile(i).substr(0, LogFile(i).size() - 9);
    list += workgroup.NameOf(i) + "," + folder + "," + workgroup.at(i).computer + "," + folder +
            "/ALERT.TXT\r\n";
  }
  WriteWholeFile(temp.file("team.wgl"), list);
  settings.workgroupPath = Upper(temp.file("team.wgl"));
}

std::string ProgramTest::LogFile(int person) const {
  return temp.file(Lower(workgroup.NameOf(person))) + "/MESSAGES";
}

}  // namespace telvo::test
