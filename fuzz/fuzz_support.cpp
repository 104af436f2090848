#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace telvo::fuzz {
namespace {

size_t LengthAt(std::string_view file, size_t at) {
  return static_cast<size_t>(static_cast<unsigned char>(file[at])) |
         static_cast<size_t>(static_cast<unsigned char>(file[at + 1])) << 8;
}

}  // namespace

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken property: %s\n", what);
  std::abort();
}

size_t TrustedBodyLength(std::string_view file, size_t at) {
  if (at + 4 > file.size()) return 0;
  const size_t length = LengthAt(file, at);
  if (length < 1 || length > 32767 || at + 4 + length > file.size()) return 0;
  return LengthAt(file, at + 2 + length) == length ? length : 0;
}

FrontWalk WalkFromFront(std::string_view file) {
  FrontWalk walk;
  size_t at = 0;
  while (at < file.size()) {
    const size_t length = TrustedBodyLength(file, at);
    if (length == 0) break;
    walk.calls.push_back({static_cast<int64_t>(at), file.substr(at + 2, length)});
    at += length + 4;
  }
  walk.stoppedAt = static_cast<int64_t>(at);
  return walk;
}

Expected WalkWholeFile(std::string_view file) {
  Expected expected;
  size_t at = 0;
  while (at < file.size()) {
    if (const size_t length = TrustedBodyLength(file, at)) {
      ++expected.calls;
      at += length + 4;
      continue;
    }
    // After damage only a record with its five fields ended counts.
    auto resumes = [&](size_t from) {
      const size_t length = TrustedBodyLength(file, from);
      if (length == 0) return false;
      const std::string_view body = file.substr(from + 2, length);
      return body.back() == '\x11' && std::count(body.begin(), body.end(), '\x11') == 5;
    };
    size_t next = at + 1;
    while (next < file.size() && !resumes(next)) ++next;
    next = std::min(next, file.size());
    expected.damage.push_back({static_cast<int64_t>(at), static_cast<int64_t>(next)});
    at = next;
  }
  return expected;
}

bool WalkBackFromEnd(std::string_view file, size_t count, std::vector<WalkedCall>* calls) {
  calls->assign(count, {});
  size_t end = file.size();
  for (size_t i = count; i-- > 0;) {
    if (end < 4) return false;
    const size_t length = LengthAt(file, end - 2);
    if (length + 4 > end) return false;
    const size_t start = end - 4 - length;
    if (TrustedBodyLength(file, start) != length) return false;
    (*calls)[i] = {static_cast<int64_t>(start), file.substr(start + 2, length)};
    end = start;
  }
  return true;
}

std::vector<std::string> SplitFields(std::string_view body) {
  std::vector<std::string> values{std::string(body.substr(0, 1))};
  std::string_view rest = body.empty() ? body : body.substr(1);
  for (int i = 0; i < 5; ++i) {
    const size_t end = rest.find('\x11');
    values.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return values;
}

}  // namespace telvo::fuzz
