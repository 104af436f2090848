// The record walks and ParseCallBody over arbitrary file bytes. Each walk
// ends; the forward walk gives exactly the calls that an independent walk
// from the front finds and stops where it stops; the backward walk gives
// only records framed where they claim to be, one after the other, and on a
// sound file exactly the forward walk's calls in reverse (the last record's
// trailing length is the true one, so the backward walk cannot be misled).

#include <memory>

#include "core/call_fields.h"
#include "fuzz_support.h"
#include "store/phone_log.h"

namespace telvo::fuzz {
namespace {

const char kLog[] = "\\LOG";

void CheckParsed(const std::string& body) {
  const CallFields call = ParseCallBody(body);
  const std::vector<std::string> expected = SplitFields(body);
  const std::string* parsed[] = {&call.mark, &call.date,  &call.caller,
                                 &call.time, &call.phone, &call.message};
  for (size_t i = 0; i < expected.size(); ++i)
    Require(*parsed[i] == expected[i], "ParseCallBody splits the fields at FIELD_END");
}

bool SameCall(const Record& record, const WalkedCall& call) {
  return record.start == call.start && record.body == call.body;
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  const std::string_view bytes = Bytes(data, size);
  MemoryEnv env;
  env.Put(kLog, std::string(bytes));
  std::unique_ptr<File> log;
  Require(env.OpenFile(kLog, FileAccess::kRead, &log).ok(), "the log opens");
  const int64_t length = static_cast<int64_t>(size);
  const FrontWalk front = WalkFromFront(bytes);

  std::vector<Record> forward;
  RecordRead read = WalkForward(*log, length, 0, [&](const Record& record) {
    forward.push_back(record);
    CheckParsed(record.body);
    return true;
  });
  Require(forward.size() == front.calls.size(), "the forward walk finds every sound call");
  for (size_t i = 0; i < forward.size(); ++i)
    Require(SameCall(forward[i], front.calls[i]), "the forward walk reads each call as framed");
  if (front.clean(bytes)) {
    Require(read.outcome == ReadOutcome::kNone, "a sound file's forward walk ends cleanly");
  } else {
    Require(read.outcome == ReadOutcome::kDamaged && read.damageAt == front.stoppedAt,
            "the forward walk names the offset where trust was lost");
  }

  std::vector<Record> backward;
  int64_t end = length;
  read = WalkBackward(*log, length, [&](const Record& record) {
    Require(record.end() == end, "each backward record ends where the next one begins");
    Require(
        TrustedBodyLength(bytes, static_cast<size_t>(record.start)) == record.body.size() &&
            bytes.substr(static_cast<size_t>(record.start) + 2, record.body.size()) == record.body,
        "a backward record is framed where it claims to be");
    end = record.start;
    backward.push_back(record);
    return true;
  });
  Require(read.outcome == (end == 0 ? ReadOutcome::kNone : ReadOutcome::kDamaged),
          "the backward walk ends cleanly exactly at the file's start");
  if (read.outcome == ReadOutcome::kDamaged)
    Require(read.damageAt >= 0 && read.damageAt < length, "damage lies inside the file");
  if (front.clean(bytes)) {
    Require(backward.size() == forward.size(), "on a sound file both walks see every call");
    for (size_t i = 0; i < backward.size(); ++i)
      Require(SameCall(backward[i], front.calls[forward.size() - 1 - i]),
              "on a sound file the backward walk is the forward walk reversed");
  }

  // A record read at any offset is one that the lengths there frame.
  for (int64_t at = -1; at <= length && at < 96; ++at) {
    read = ReadRecordAt(*log, length, at);
    if (read.outcome == ReadOutcome::kRecord)
      Require(
          at >= 0 && TrustedBodyLength(bytes, static_cast<size_t>(at)) == read.record.body.size(),
          "ReadRecordAt gives only framed records");
    else
      Require(read.outcome == (at >= length ? ReadOutcome::kNone : ReadOutcome::kDamaged),
              "ReadRecordAt refuses what the lengths do not frame");
  }
  return 0;
}
