#include "store/alert_file.h"

#include <memory>

#include "core/dates.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

constexpr const char* kLineEnd = "\r\n";

const std::string& AlertPath(const ProgramState& s, int person) {
  static const std::string kNone;
  if (person < 0 || person >= static_cast<int>(s.PersonAlert.size())) return kNone;
  return s.PersonAlert[static_cast<size_t>(person)];
}

// Everything but the final line end. The program never writes a file shorter
// than that line end, so a shorter one holds no text worth showing.
Status ReadAlertText(Program& program, const std::string& path, std::string* text) {
  std::unique_ptr<File> file;
  Status s = OpenWithLockRetries(program, path, FileAccess::kRead, &file);
  int64_t length = 0;
  if (s.ok()) s = file->Length(&length);
  if (s.ok() && length >= 2) s = file->ReadAt(0, static_cast<size_t>(length - 2), text);
  return s;
}

std::string AlertFileBytes(const std::string& text, const LocalDateTime& now) {
  return text + kLineEnd + "Posted " + FormatTime(now) + " " + FormatDate(now) + kLineEnd;
}

// Held while the new alert replaces the old, so a colleague's read sees
// either alert whole; a missing file has nothing to hold.
Status LockExistingAlert(Program& program, const std::string& path,
                         std::unique_ptr<File>* lock) {
  if (!program.env.FileExists(path)) return Status::Ok();
  return OpenWithLockRetries(program, path, FileAccess::kUpdate, lock);
}

// Written beside the old alert and renamed over it, so a failure anywhere
// leaves the old alert whole.
Status ReplaceAlert(Program& program, const std::string& path, const std::string& fresh,
                    const std::string& bytes) {
  std::unique_ptr<File> file;
  Status s = OpenWithLockRetries(program, fresh, FileAccess::kRewrite, &file);
  // A work file locked elsewhere is a colleague's, and stays.
  if (!s.ok()) return s;
  s = file->WriteAt(0, bytes);
  if (s.ok()) s = file->Sync();
  file.reset();
  if (s.ok()) s = program.env.ReplaceFile(fresh, path);
  if (!s.ok()) {
    // Tidying only: the failure is what matters.
    static_cast<void>(program.env.DeleteFile(fresh));
    return s;
  }
  return program.env.SyncFolderOf(path);
}

[[noreturn]] void EndWritingFailed(Program& program, int code) {
  program.state.ErrorNumber = static_cast<int16_t>(code);
  program.state.NoticeText = "Error in writing alert file.";
  FatalFileError(program);
}

}  // namespace

void ReadAlert(Program& program, int person) {
  ProgramState& s = program.state;
  s.AlertError = 0;
  s.AlertText.clear();
  const Status read = ReadAlertText(program, AlertPath(s, person), &s.AlertText);
  if (read.ok()) return;
  s.AlertText.clear();
  s.AlertError = static_cast<int16_t>(read.code());
  if (read.code() == kFileNotFound) return;
  ShowNotice(program, "Telvo error reading alert", read.description() + std::to_string(read.code()));
}

bool WriteAlert(Program& program, int person, const std::string& text) {
  const std::string& path = AlertPath(program.state, person);
  // An empty path would put the new file in whatever folder the program runs in.
  if (path.empty()) EndWritingFailed(program, kBadFileName);
  std::unique_ptr<File> lock;
  Status s = LockExistingAlert(program, path, &lock);
  if (s.ok()) s = ReplaceAlert(program, path, path + ".NEW", AlertFileBytes(text, program.env.Now()));
  lock.reset();
  if (s.ok()) return true;

  // A colleague reading or saving the same alert: the typed text must
  // survive, so the user may simply try again.
  if (s.code() == kPermissionDenied) {
    ShowNotice(program, "Telvo", "Message file is locked up");
    return false;
  }
  EndWritingFailed(program, s.code());
}

void RemoveAlert(Program& program, int person) {
  if (!program.env.DeleteFile(AlertPath(program.state, person)).ok())
    ShowNotice(program, "Telvo", "Error Deleting Alert");
}

}  // namespace telvo
