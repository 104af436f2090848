#include "app/screenshot_workgroup.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace telvo {
namespace {

struct Person {
  const char* name;
  const char* folder;
};

const Person kPeople[] = {{kSampleName, "pat"}, {"Ann Smith", "ann"}, {"Bob Brown", "bob"}};
constexpr int kAnn = 1;

// Files of the program end their lines in carriage return and line feed.
bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (out) return true;
  std::cerr << "telvo_screenshots: cannot write " << path << "\n";
  return false;
}

std::string ListLine(const std::string& root, const Person& person) {
  const std::string folder = root + "/phone/" + person.folder;
  return "\"" + std::string(person.name) + "\",\"" + folder + "\",\"localhost\",\"" + folder +
         "/ALERT.TXT\"\r\n";
}

// A fixed place, so the pictures, which show the list's path, stay the same
// from one run to the next. A folder there that is not an earlier sample is
// left alone.
constexpr char kSampleRoot[] = "/tmp/telvo-sample";

bool ClearSampleRoot() {
  std::error_code error;
  if (!std::filesystem::exists(kSampleRoot, error)) return true;
  if (std::filesystem::exists(std::string(kSampleRoot) + "/office.wgl", error) &&
      std::filesystem::remove_all(kSampleRoot, error) != static_cast<std::uintmax_t>(-1))
    return true;
  std::cerr << "telvo_screenshots: " << kSampleRoot << " is in the way; remove it and run again\n";
  return false;
}

}  // namespace

bool MakeSampleWorkgroup(SampleWorkgroup* sample) {
  if (!ClearSampleRoot()) return false;
  sample->root = kSampleRoot;
  sample->listPath = sample->root + "/office.wgl";
  sample->configHome = sample->root + "/config";
  sample->alertPerson = kAnn;

  std::error_code error;
  std::filesystem::create_directories(sample->configHome + "/telvo", error);
  std::string list;
  for (const Person& person : kPeople) {
    std::filesystem::create_directories(sample->root + "/phone/" + person.folder, error);
    list += ListLine(sample->root, person);
  }
  if (error) {
    std::cerr << "telvo_screenshots: cannot make the sample folders: " << error.message() << "\n";
    return false;
  }
  return WriteFile(sample->listPath, list) &&
         WriteFile(sample->root + "/phone/ann/ALERT.TXT",
                   "Out of the office until Monday.\r\nBack 9:00 AM 12-14-2026\r\n"
                   "Calls to Bob Brown\r\nPosted 9:15 AM 12-07-2026\r\n");
}

}  // namespace telvo
