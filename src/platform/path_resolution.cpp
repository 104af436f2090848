#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix_env.h"

namespace telvo {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

// The spelling of `name` inside `folder`, or `name` itself when nothing
// matches.
std::string MatchComponent(const std::string& folder, const std::string& name) {
  std::string dir = folder.empty() ? "." : folder;
  if (Exists(dir + "/" + name)) return name;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return name;
  std::vector<std::string> matches;
  while (dirent* e = ::readdir(d)) {
    std::string entry = e->d_name;
    if (EqualIgnoringCase(entry, name)) matches.push_back(entry);
  }
  ::closedir(d);
  if (matches.empty()) return name;
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string ResolveProgramPath(const std::string& path) {
  std::string unixPath = path;
  std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
  bool absolute = !unixPath.empty() && unixPath[0] == '/';
  std::string prefix;  // the folder resolved so far ("" is the working folder)
  size_t pos = 0;
  while (pos <= unixPath.size()) {
    size_t slash = unixPath.find('/', pos);
    if (slash == std::string::npos) slash = unixPath.size();
    std::string component = unixPath.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;
    std::string folderForLookup = absolute && prefix.empty() ? "/" : prefix;
    std::string spelled = (component == "." || component == "..")
                              ? component
                              : MatchComponent(folderForLookup, component);
    if (prefix.empty())
      prefix = absolute ? "/" + spelled : spelled;
    else
      prefix += "/" + spelled;
  }
  if (prefix.empty()) return absolute ? "/" : "";
  // Keep a trailing separator the caller gave (a folder path).
  if (unixPath.size() > 1 && unixPath.back() == '/') prefix += "/";
  return prefix;
}

}  // namespace telvo
