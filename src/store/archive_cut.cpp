#include "store/archive_cut.h"

#include <cstdlib>
#include <memory>

#include "store/phone_log.h"

namespace telvo {
namespace {

// "LENGTH IDENTITY\r\n"; a note torn by a crash was written before the
// archive grew, so there is nothing to cut.
bool ParseNote(const std::string& text, int64_t* length, std::string* identity) {
  const size_t blank = text.find(' ');
  const size_t end = text.find("\r\n");
  if (blank == std::string::npos || end == std::string::npos || end < blank) return false;
  char* stop = nullptr;
  const long long value = std::strtoll(text.c_str(), &stop, 10);
  if (stop != text.c_str() + blank || value < 0) return false;
  *length = value;
  *identity = text.substr(blank + 1, end - blank - 1);
  return !identity->empty();
}

}  // namespace

std::string ArchiveCutPath(const std::string& logPath) { return BesideLog(logPath, "ARCHIVE.CUT"); }

Status NoteArchiveStart(Env& env, const std::string& logPath, int64_t archiveLength,
                        const std::string& logIdentity) {
  const std::string path = ArchiveCutPath(logPath);
  std::unique_ptr<File> note;
  Status status = env.OpenFile(path, FileAccess::kRewrite, &note);
  if (status.ok())
    status = note->WriteAt(0, std::to_string(archiveLength) + " " + logIdentity + "\r\n");
  if (status.ok()) status = note->Sync();
  note.reset();
  if (status.ok()) status = env.SyncFolderOf(path);
  return status;
}

Status SettleArchiveCut(Env& env, const std::string& logPath, File& log, File& archive,
                        int64_t* archiveLength) {
  const std::string path = ArchiveCutPath(logPath);
  if (!env.FileExists(path)) return Status::Ok();
  std::unique_ptr<File> note;
  Status status = env.OpenFile(path, FileAccess::kRead, &note);
  std::string text;
  if (status.ok()) status = note->ReadAt(0, 256, &text);
  note.reset();
  if (!status.ok()) return status;
  int64_t noted = 0;
  std::string identity;
  const std::string current = log.Identity();
  if (ParseNote(text, &noted, &identity) && !current.empty() && identity == current &&
      *archiveLength > noted) {
    status = archive.Truncate(noted);
    if (status.ok()) status = archive.Sync();
    if (!status.ok()) return status;
    *archiveLength = noted;
  }
  return ForgetArchiveStart(env, logPath);
}

Status ForgetArchiveStart(Env& env, const std::string& logPath) {
  return env.DeleteFile(ArchiveCutPath(logPath));
}

}  // namespace telvo
