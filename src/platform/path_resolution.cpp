// Program paths are Windows-1252 text, as the workgroup list and the
// configuration give them and upper-cased where the program upper-cases them;
// names on disk are UTF-8. Each component is converted and then matched
// ignoring case, so /SRV/PHONE/JÜRGEN finds /srv/phone/jürgen.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/posix_env.h"

namespace telvo {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Folded(std::string_view cp1252) {
  std::string folded(cp1252);
  for (char& c : folded) c = UpperCp1252(c);
  return folded;
}

// Does the name on disk spell `wanted` (already folded) in another case? A
// name that is not UTF-8 is taken as the code page itself.
bool SameIgnoringCase(const std::string& onDisk, const std::string& wanted) {
  return Folded(Utf8ToCp1252(onDisk)) == wanted || Folded(onDisk) == wanted;
}

// The spelling on disk of the component `name` inside `folder`, or its UTF-8
// form when nothing matches.
std::string MatchComponent(const std::string& folder, const std::string& name) {
  const std::string spelled = Cp1252ToUtf8(name);
  const std::string dir = folder.empty() ? "." : folder;
  if (spelled == "." || spelled == ".." || Exists(dir + "/" + spelled)) return spelled;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return spelled;
  const std::string wanted = Folded(name);
  std::vector<std::string> matches;
  while (dirent* e = ::readdir(d)) {
    if (SameIgnoringCase(e->d_name, wanted)) matches.push_back(e->d_name);
  }
  ::closedir(d);
  if (matches.empty()) return spelled;
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string ResolveProgramPath(const std::string& path) {
  std::string unixPath = path;
  std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
  const bool absolute = !unixPath.empty() && unixPath[0] == '/';
  std::string prefix;  // the folder resolved so far ("" is the working folder)
  size_t pos = 0;
  while (pos <= unixPath.size()) {
    size_t slash = unixPath.find('/', pos);
    if (slash == std::string::npos) slash = unixPath.size();
    const std::string component = unixPath.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;
    const std::string folder = absolute && prefix.empty() ? "/" : prefix;
    const std::string spelled = MatchComponent(folder, component);
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
