#include "final_state.h"

#include "numbered_calls.h"
#include "service/call_actions.h"
#include "service/delivery.h"
#include "service/purge.h"
#include "store/folder_store.h"
#include "store/log_scan.h"
#include "store/phone_log.h"
#include "workstation.h"

namespace telvo::torture {
namespace {

// Every record of the file, walked both ways; a missing file is empty.
std::vector<FileRecord> ReadRecords(Workstation& station, const std::string& path,
                                    const std::string& name, int64_t* bytes,
                                    std::vector<std::string>& faults) {
  std::vector<FileRecord> records;
  *bytes = 0;
  if (!station.env.FileExists(path)) return records;
  std::unique_ptr<File> file;
  Status status = station.env.OpenFile(path, FileAccess::kRead, &file);
  if (status.ok()) status = file->Length(bytes);
  if (status.ok()) {
    status = ScanLog(*file, *bytes,
                     {.record =
                          [&](int64_t start, std::string_view body) {
                            records.push_back({start, std::string(body)});
                            return true;
                          },
                      .damage =
                          [&](int64_t from, int64_t to) {
                            faults.push_back(name + " is damaged from byte " +
                                             std::to_string(from) + " to " + std::to_string(to));
                            return true;
                          }});
  }
  if (!status.ok()) {
    faults.push_back(name + " could not be read: error " + std::to_string(status.code()));
    return records;
  }
  std::vector<int64_t> backwards;
  const RecordRead stop = WalkBackward(*file, *bytes, [&](const Record& record) {
    backwards.push_back(record.start);
    return true;
  });
  bool same = stop.outcome == ReadOutcome::kNone && backwards.size() == records.size();
  for (size_t i = 0; same && i < records.size(); ++i)
    same = backwards[records.size() - 1 - i] == records[i].start;
  if (!same) faults.push_back(name + ": the walk backwards does not meet the same calls");
  return records;
}

void ExpectNoBox(Workstation& station, const char* step, bool done,
                 std::vector<std::string>& faults) {
  const std::string texts = station.BoxTexts();
  if (!texts.empty() || !done)
    faults.push_back(std::string("the last ") + step + " failed: " + texts);
  station.boxes.Clear();
}

// False when the share refused the last post, as it refused the workers'.
bool Settle(Workstation& station, const std::string& logPath, std::vector<std::string>& faults) {
  ProgramState& s = station.program.state;
  const bool posted = PostMessage(station.program, PadForCall(kLastArchivedCall));
  if (station.BoxTexts().starts_with("The message was not delivered.")) return false;
  ExpectNoBox(station, "post", posted, faults);

  // It is the newest call, at the log's end.
  std::unique_ptr<File> log;
  int64_t length = 0;
  Status status = station.env.OpenFile(logPath, FileAccess::kRead, &log);
  if (status.ok()) status = log->Length(&length);
  RecordRead newest;
  if (status.ok()) newest = ReadRecordBefore(*log, length, length);
  log.reset();
  if (newest.outcome != ReadOutcome::kRecord ||
      CallNumberOf(newest.record.body) != kLastArchivedCall) {
    faults.push_back("the last call posted is not at the log's end");
    return true;
  }
  SingleCallView view({CallId::Of(newest.record.start, newest.record.body), newest.record.body});
  const bool marked = ApplyCallAction(station.program, view, 0, kActionArchive);
  ExpectNoBox(station, "mark", marked, faults);

  s.viewed.book = FolderBook("Ann", logPath);
  const bool purged = PurgeCalls(station.program);
  ExpectNoBox(station, "purge", purged, faults);
  return true;
}

}  // namespace

FinalState SettleAndRead(const std::string& logPath) {
  FinalState state;
  Workstation station(logPath);
  state.lastCallPosted = Settle(station, logPath, state.faults);
  state.log = ReadRecords(station, logPath, "the log", &state.logBytes, state.faults);
  state.archive = ReadRecords(station, BesideLog(logPath, "ARCHIVE"), "the archive",
                              &state.archiveBytes, state.faults);
  if (station.env.FileExists(logPath + ".NEW"))
    state.faults.push_back("a purge's work file is left beside the log");

  const std::string exportPath = BesideLog(logPath, "EXPORT.TXT");
  if (station.env.FileExists(exportPath)) {
    std::unique_ptr<File> file;
    int64_t length = 0;
    Status status = station.env.OpenFile(exportPath, FileAccess::kRead, &file);
    if (status.ok()) status = file->Length(&length);
    if (status.ok()) status = file->ReadAt(0, static_cast<size_t>(length), &state.exportText);
    if (!status.ok())
      state.faults.push_back("EXPORT.TXT could not be read: error " +
                             std::to_string(status.code()));
  }
  return state;
}

}  // namespace telvo::torture
