#include "store/phone_store.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace telvo {
namespace {

constexpr size_t kDigestDigits = 16;
constexpr size_t kShortestTypedDigest = 8;

// FNV-1a, 64 bits, of the body after its mark, in hex.
std::string BodyDigest(std::string_view body) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : body.substr(body.empty() ? 0 : 1)) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string digest(kDigestDigits, '0');
  for (size_t i = kDigestDigits; i-- > 0; hash >>= 4) digest[i] = kHex[hash & 15];
  return digest;
}

bool IsHex(std::string_view text) {
  return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

CallId CallId::Of(int64_t position, std::string_view body) { return {position, BodyDigest(body)}; }

bool CallId::Names(int64_t at, std::string_view body) const {
  if (at != position || digest.size() < kShortestTypedDigest || digest.size() > kDigestDigits)
    return false;
  const std::string full = BodyDigest(body);
  return full.compare(kDigestDigits - digest.size(), digest.size(), digest) == 0;
}

std::string CallId::ToText() const {
  return std::to_string(position) + ":" +
         digest.substr(digest.size() - std::min(digest.size(), kShortestTypedDigest));
}

std::optional<CallId> CallId::FromText(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  int64_t position = -1;
  const char* end = text.data() + colon;
  const auto [stop, problem] = std::from_chars(text.data(), end, position);
  const std::string_view digest = text.substr(colon + 1);
  if (problem != std::errc() || stop != end || position < 0 ||
      digest.size() != kShortestTypedDigest || !IsHex(digest))
    return std::nullopt;
  return CallId{position, std::string(digest)};
}

StoreError StoreError::From(const Status& status) {
  StoreError error;
  error.status = status;
  switch (status.code()) {
    case 0:
      error.kind = Kind::kNone;
      break;
    case kPermissionDenied:
      error.kind = Kind::kLocked;
      break;
    case kPathNotFound:
      error.kind = Kind::kNoFolder;
      break;
    case kSymbolicLink:
      error.kind = Kind::kSymbolicLink;
      break;
    case kNotKept:
      error.kind = Kind::kNotKept;
      break;
    default:
      error.kind = Kind::kFailed;
      break;
  }
  return error;
}

StoreError StoreError::Damaged(int64_t at) {
  StoreError error;
  error.kind = Kind::kDamaged;
  error.at = at;
  return error;
}

StoreError StoreError::Database(Kind kind, std::string message) {
  StoreError error;
  error.kind = kind;
  // For code that reads only the status: the classic codes closest to
  // a server out of reach and a request turned down.
  error.status =
      Status::Error(kind == Kind::kDatabaseUnreachable ? kDeviceUnavailable : kPathFileAccessError);
  error.detail = std::move(message);
  return error;
}

StoreError StoreError::Stale() {
  StoreError error;
  error.kind = Kind::kStale;
  return error;
}

}  // namespace telvo
