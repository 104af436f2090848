// A purge of an arbitrary log, now and then with one file operation failing.
// It either rewrites the log or leaves it as it was and says why (a damaged
// log is refused, naming where the damage begins); it never loses a call that
// was well framed before the damage:
// - a rewritten phone log holds exactly the kept calls (blank, new and
//   important), byte for byte and in order, and the archive ends with the
//   archived calls, each with the same mark and fields;
// - the calls that were in the archive before stay there, byte for byte;
// - no work file is left behind;
// - a torn tail (the front part of whole records at the end) is first cut
//   off and kept in "<log>.TORN", and only such a tail.
// Purging the archive itself keeps every call but the deleted and unknown
// ones, the archived ones written anew with the same fields.

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "service/purge.h"
#include "store/folder_store.h"

namespace telvo::fuzz {
namespace {

const std::string kLog = "\\P\\ANN\\MESSAGES";
const std::string kArchive = "\\P\\ANN\\ARCHIVE";
const int kFailureCodes[] = {kDeviceIoError, kDiskFull, kPermissionDenied, kPathFileAccessError};

bool IsKept(char mark) { return mark == ' ' || mark == 1 || mark == 4; }
bool IsArchived(char mark) { return mark == 3; }

// An archived call is written anew from its fields: the same mark and fields
// make the same call.
bool SameCall(const WalkedCall& now, const WalkedCall& before) {
  return IsArchived(before.body[0]) ? SplitFields(now.body) == SplitFields(before.body)
                                    : now.body == before.body;
}

bool SameCalls(const std::vector<WalkedCall>& now, const std::vector<WalkedCall>& before) {
  if (now.size() != before.size()) return false;
  for (size_t i = 0; i < now.size(); ++i)
    if (!SameCall(now[i], before[i])) return false;
  return true;
}

std::string Framed(std::string_view file, const WalkedCall& call) {
  return std::string(file.substr(static_cast<size_t>(call.start), call.body.size() + 4));
}

// The archive before the purge may only lose a torn tail: everything up to
// where its last damaged region begins stays, byte for byte.
bool ArchiveKeptItsCalls(std::string_view before, std::string_view kept) {
  const Expected walk = WalkWholeFile(before);
  size_t sound = before.size();
  if (!walk.damage.empty() && walk.damage.back().to == static_cast<int64_t>(before.size()))
    sound = static_cast<size_t>(walk.damage.back().from);
  return kept.size() >= sound && kept == before.substr(0, kept.size());
}

// Are the bytes the front part of whole records, as a write cut short leaves
// them: each length trusted, each record whole but the last, which runs past
// the end?
bool IsFrontOfRecords(std::string_view bytes) {
  size_t at = 0;
  while (at + 2 <= bytes.size()) {
    const size_t length = static_cast<size_t>(static_cast<unsigned char>(bytes[at])) |
                          static_cast<size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    if (length < 1 || length > 32767) return false;
    if (at + 4 + length > bytes.size()) return true;
    if (TrustedBodyLength(bytes, at) != length) return false;
    at += length + 4;
  }
  return at < bytes.size();
}

bool ShowedDamageAt(const ScriptedMessageBoxes& boxes, int64_t offset) {
  const std::string text = "The phone log is damaged at byte " + std::to_string(offset) + ".";
  for (const MessageBox& box : boxes.shown())
    if (box.text.find(text) == 0) return true;
  return false;
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  FuzzedDataProvider input(data, size);
  const uint8_t flags = input.ConsumeIntegral<uint8_t>();
  const bool purgeArchive = flags & 1;
  const bool archiveExists = flags & 2;
  const int failAt = (flags & 4) ? input.ConsumeIntegralInRange<int>(1, 40) : 0;
  const int failCode = input.PickValueInArray(kFailureCodes);
  const std::string archiveBefore = archiveExists ? input.ConsumeRandomLengthString(4096) : "";
  const std::string original = input.ConsumeRemainingBytesAsString();
  const std::string& path = purgeArchive ? kArchive : kLog;

  FuzzProgram p;
  p.env.Put(path, original);
  if (!purgeArchive && archiveExists) p.env.Put(kArchive, archiveBefore);
  p.program.state.viewed.book = FolderBook("Ann", path);
  p.env.FailOperation(failAt, failCode);
  bool ended = false, purged = false;
  try {
    purged = PurgeCalls(p.program);
  } catch (const ProgramEnded&) {
    ended = true;
  }
  // The log the purge worked on: `before` less a torn tail it cut off first.
  const std::string torn = p.env.Get(path + ".TORN");
  Require(torn.empty() || (torn.size() <= original.size() && IsFrontOfRecords(torn) &&
                           original.compare(original.size() - torn.size(), torn.size(), torn) == 0),
          "only a torn tail is cut off, and it is kept beside the log");
  const std::string before = original.substr(0, original.size() - torn.size());
  const std::string after = p.env.Get(path);
  const FrontWalk walk = WalkFromFront(before);

  std::vector<WalkedCall> kept, archived;
  std::string keptBytes;
  for (const WalkedCall& call : walk.calls) {
    if (IsKept(call.body[0]) || (purgeArchive && IsArchived(call.body[0]))) kept.push_back(call);
    if (IsKept(call.body[0])) keptBytes += Framed(before, call);
    if (!purgeArchive && IsArchived(call.body[0])) archived.push_back(call);
  }
  const FrontWalk afterWalk = WalkFromFront(after);
  const bool rewritten = purgeArchive ? afterWalk.clean(after) && SameCalls(afterWalk.calls, kept)
                                      : after == keptBytes;
  // A repair whose cut failed after its side file was written leaves the
  // log whole, the torn bytes then standing in both.
  const bool untouched = after == before || after == original;
  Require(rewritten || untouched, "the log is either rewritten or left as it was");
  if (!purgeArchive) {
    // A rewritten log has all its archived calls at the archive's end. A
    // purge stopped by a failure cuts them off again, unless that cut is
    // what failed: then some first ones may stand in both files.
    const std::string archiveAfter = p.env.Get(kArchive);
    const bool moved = rewritten && !untouched;
    const bool uncut = !moved && p.env.failedKind() == "truncate";
    bool holds = false;
    for (size_t count = moved ? archived.size() : 0;
         !holds && count <= (moved || uncut ? archived.size() : 0); ++count) {
      std::vector<WalkedCall> appended;
      if (!WalkBackFromEnd(archiveAfter, count, &appended) ||
          !SameCalls(appended,
                     {archived.begin(), archived.begin() + static_cast<ptrdiff_t>(count)}))
        continue;
      const size_t from = count ? static_cast<size_t>(appended.front().start) : archiveAfter.size();
      holds = ArchiveKeptItsCalls(archiveBefore, std::string_view(archiveAfter).substr(0, from));
    }
    Require(holds, "the archive keeps its calls and ends with the archived ones");
  }
  if (failAt == 0) {
    Require(!ended, "a purge without failures never ends the program");
    Require(!p.env.FileExists(path + ".NEW"), "no work file is left behind");
    // The archive stays only when the purge went through; a first purge
    // stopped by damage leaves none behind.
    if (!purgeArchive && !before.empty())
      Require(p.env.FileExists(kArchive) == (archiveExists || walk.clean(before)),
              "the first purge of a phone log creates the archive, and only when it purges");
    if (walk.clean(before)) {
      Require(rewritten && purged, "a sound log is purged");
      Require(p.boxes.shown().empty(), "a sound log is purged without a word");
    } else {
      Require(untouched && !purged, "a damaged log is left as it was");
      Require(ShowedDamageAt(p.boxes, walk.stoppedAt), "the refusal names where damage begins");
    }
  }
  return 0;
}
