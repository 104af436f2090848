// A person's alert on the shared folder: a text file that colleagues read
// when they take a call for its owner, replaced whole when it changes.

#include "core/dates.h"
#include "store/folder_store.h"

namespace telvo {
namespace {

// Written beside the old alert and renamed over it, so a failure anywhere
// leaves the old alert whole.
Status ReplaceAlert(LockedOpener& opener, const std::string& path, const std::string& bytes) {
  const std::string fresh = path + ".NEW";
  std::unique_ptr<File> file;
  Status s = opener.Open(fresh, FileAccess::kRewrite, &file);
  // A work file locked elsewhere is a colleague's, and stays.
  if (!s.ok()) return s;
  s = file->WriteAt(0, bytes);
  if (s.ok()) s = file->Sync();
  file.reset();
  if (s.ok()) s = opener.env().ReplaceFile(fresh, path);
  if (!s.ok()) {
    // Tidying only: the failure is what matters.
    static_cast<void>(opener.env().DeleteFile(fresh));
    return s;
  }
  return opener.env().SyncFolderOf(path);
}

}  // namespace

std::string AlertFileBytes(std::string_view text, const LocalDateTime& now) {
  constexpr const char* kLineEnd = "\r\n";
  return std::string(text) + kLineEnd + "Posted " + FormatTime(now) + " " + FormatDate(now) +
         kLineEnd;
}

AlertRead FolderStore::ReadAlert(const Person& owner) {
  // Everything but the final line end. The program never writes a file
  // shorter than that line end, so a shorter one holds no text worth showing.
  AlertRead alert;
  std::unique_ptr<File> file;
  Status s = opener_.Open(owner.alert, FileAccess::kRead, &file);
  int64_t length = 0;
  if (s.ok()) s = file->Length(&length);
  if (s.ok() && length >= 2) s = file->ReadAt(0, static_cast<size_t>(length - 2), &alert.text);
  alert.exists = s.ok();
  if (!s.ok()) alert.text.clear();
  if (!s.ok() && s.code() != kFileNotFound) alert.error = StoreError::From(s);
  return alert;
}

StoreError FolderStore::WriteAlert(const Person& owner, std::string_view text,
                                   const LocalDateTime& now) {
  // An empty path would put the new file in whatever folder the program runs in.
  if (owner.alert.empty()) return StoreError::From(Status::Error(kBadFileName));
  // Held while the new alert replaces the old, so a colleague's read sees
  // either alert whole; a missing file has nothing to hold.
  std::unique_ptr<File> lock;
  Status s;
  if (env().FileExists(owner.alert)) s = opener_.Open(owner.alert, FileAccess::kUpdate, &lock);
  if (s.ok()) s = ReplaceAlert(opener_, owner.alert, AlertFileBytes(text, now));
  return StoreError::From(s);
}

StoreError FolderStore::RemoveAlert(const Person& owner) {
  return StoreError::From(env().DeleteFile(owner.alert));
}

StoreError FolderStore::RemoveAlertIf(const Person& owner, std::string_view expected,
                                      bool* removed) {
  *removed = false;
  if (owner.alert.empty() || !env().FileExists(owner.alert)) return {};
  // Held while the alert is compared and deleted, so no colleague's new
  // alert is deleted in its place.
  std::unique_ptr<File> file;
  Status s = opener_.Open(owner.alert, FileAccess::kUpdate, &file);
  int64_t length = 0;
  std::string bytes;
  if (s.ok()) s = file->Length(&length);
  if (s.ok() && length > 0) s = file->ReadAt(0, static_cast<size_t>(length), &bytes);
  // An empty file is one this open made after the alert went meanwhile.
  const bool same =
      length == 0 || (bytes.size() >= 2 && bytes.substr(0, bytes.size() - 2) == expected);
  if (s.ok() && same) s = env().DeleteFile(owner.alert);
  if (s.ok() && same && length > 0) s = env().SyncFolderOf(owner.alert);
  *removed = s.ok() && same && length > 0;
  return StoreError::From(s);
}

}  // namespace telvo
