#include "app/log_path.h"

#include <algorithm>

#include "platform/code_page.h"

namespace telvo {

std::string LogProgramPath(Env& env, const std::string& typed) {
  std::string path = typed;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.find('\\') == std::string::npos) path = ".\\" + path;
  const size_t nameAt = path.rfind('\\') + 1;
  std::string upper = path.substr(nameAt);
  for (char& c : upper) c = UpperCp1252(c);
  if (upper != "MESSAGES") return path;
  const std::string canonical = path.substr(0, nameAt) + upper;
  // Where both spellings exist as different files, the one typed wins.
  return env.ResolvePath(canonical) == env.ResolvePath(path) ? canonical : path;
}

}  // namespace telvo
