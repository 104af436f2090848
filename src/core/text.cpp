#include "core/text.h"

#include <memory>

#include "platform/code_page.h"

namespace telvo {

std::string TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperCp1252(c);
  return upper;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCp1252(a[i]) != UpperCp1252(b[i])) return false;
  }
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

Status ReadTextFile(Env& env, const std::string& path, std::string* bytes) {
  bytes->clear();
  std::unique_ptr<File> file;
  Status s = env.OpenFile(path, FileAccess::kRead, &file);
  std::string chunk;
  while (s.ok()) {
    s = file->ReadAt(static_cast<int64_t>(bytes->size()), 1 << 16, &chunk);
    if (!s.ok() || chunk.empty()) break;
    bytes->append(chunk);
  }
  return s;
}

}  // namespace telvo
