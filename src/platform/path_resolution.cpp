// Program paths are Windows-1252 text, as the workgroup list and the
// configuration give them and upper-cased where the program upper-cases them;
// names on disk are UTF-8. Each component is converted and then matched
// ignoring case, so /SRV/PHONE/JÜRGEN finds /srv/phone/jürgen.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "platform/posix_env.h"

namespace telvo {
namespace {

std::atomic<int64_t> folderListings{0};

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
  ++folderListings;
  const std::string wanted = Folded(name);
  std::vector<std::string> matches;
  while (dirent* e = ::readdir(d)) {
    if (SameIgnoringCase(e->d_name, wanted)) matches.push_back(e->d_name);
  }
  ::closedir(d);
  if (matches.empty()) return spelled;
  return *std::min_element(matches.begin(), matches.end());
}

// Folders resolved before, by their program spelling: the workgroup list
// names folders in upper case while they are usually lower case on disk, and
// listing every folder of a path on every open would make each post cost a
// listing of the shared folder (a round trip per batch of entries on a
// network share). A remembered spelling is used while it still names a
// folder; once it does not (renamed, removed), the folder is looked up again.
class FolderMemory {
 public:
  std::string Lookup(const std::string& programFolder) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = native_.find(programFolder);
    return it == native_.end() ? std::string() : it->second;
  }
  void Remember(const std::string& programFolder, const std::string& nativeFolder) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A workgroup has a few dozen folders; a bound keeps a long run from
    // collecting stale ones without end.
    if (native_.size() >= 4096) native_.clear();
    native_[programFolder] = nativeFolder;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, std::string> native_;
};

FolderMemory& Folders() {
  static FolderMemory memory;
  return memory;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The native spelling of `folder` (a program path with "/" separators and
// no trailing one), which need not exist.
std::string ResolveFolder(const std::string& folder) {
  const size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return MatchComponent("", folder);
  if (slash == 0 && folder.size() == 1) return "/";
  const std::string remembered = Folders().Lookup(folder);
  if (!remembered.empty() && IsFolder(remembered)) return remembered;
  const std::string parent = slash == 0 ? "/" : ResolveFolder(folder.substr(0, slash));
  const std::string name = folder.substr(slash + 1);
  if (name.empty()) return parent;  // a doubled separator
  const std::string native = (parent == "/" ? "/" : parent + "/") + MatchComponent(parent, name);
  if (IsFolder(native)) Folders().Remember(folder, native);
  return native;
}

// The file as spelled inside its remembered folder, or "" when the folder
// was not resolved before. Touches no disk.
std::string InRememberedFolder(const std::string& unixPath, size_t slash) {
  if (slash == 0 || slash == std::string::npos) return "";
  const std::string folder = Folders().Lookup(unixPath.substr(0, slash));
  const std::string name = Cp1252ToUtf8(unixPath.substr(slash + 1));
  if (folder.empty() || name.empty() || name == "." || name == "..") return "";
  return folder + "/" + name;
}

// A file in a remembered folder that exists as spelled: one lstat shows
// both, where checking the folder and then the file would cost two lookups
// of the folder (each a round trip on a share whose client caches no names).
// "" when it does not hold.
std::string KnownSpelling(const std::string& unixPath, size_t slash) {
  const std::string native = InRememberedFolder(unixPath, slash);
  return !native.empty() && Exists(native) ? native : "";
}

}  // namespace

int64_t FolderListingsForTesting() { return folderListings.load(); }

std::string RememberedSpelling(const std::string& path) {
  std::string unixPath = path;
  std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
  return InRememberedFolder(unixPath, unixPath.rfind('/'));
}

std::string ResolveProgramPath(const std::string& path) {
  std::string unixPath = path;
  std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
  // Keep a trailing separator the caller gave (a folder path).
  const bool folderPath = unixPath.size() > 1 && unixPath.back() == '/';
  while (unixPath.size() > 1 && unixPath.back() == '/') unixPath.pop_back();
  if (unixPath.empty()) return "";
  if (unixPath == "/") return "/";
  const size_t slash = unixPath.rfind('/');
  std::string native;
  if (slash == std::string::npos) {
    native = MatchComponent("", unixPath);
  } else if (std::string known = KnownSpelling(unixPath, slash); !known.empty()) {
    native = std::move(known);
  } else {
    const std::string folder = slash == 0 ? "/" : ResolveFolder(unixPath.substr(0, slash));
    native =
        (folder == "/" ? "/" : folder + "/") + MatchComponent(folder, unixPath.substr(slash + 1));
  }
  return folderPath ? native + "/" : native;
}

}  // namespace telvo
