#include "support/test_env.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace telvo::test {
namespace {

// Names the file a path leads to, "" when there is none.
std::string IdentityOf(const std::string& nativePath) {
  struct stat st;
  if (::stat(nativePath.c_str(), &st) != 0) return "";
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

std::string FolderOf(const std::string& nativePath) {
  return std::filesystem::path(nativePath).parent_path().string();
}

class FaultyFile : public File {
 public:
  FaultyFile(FaultInjectionEnv* env, std::unique_ptr<File> file,
             std::shared_ptr<DurableFile> durable, std::string nativePath)
      : env_(env),
        file_(std::move(file)),
        durable_(std::move(durable)),
        path_(std::move(nativePath)) {}

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    Status s = env_->Next(FileOp::kRead);
    if (!s.ok()) return s;
    s = file_->ReadAt(offset, n, out);
    env_->AddBytesRead(static_cast<int64_t>(out->size()));
    return s;
  }
  Status WriteAt(int64_t offset, std::string_view data) override {
    Status s = env_->Next(FileOp::kWrite);
    if (!s.ok()) return s;
    FaultInjectionEnv::KeepBeforeChange(durable_.get(), [this] { return Contents(); });
    if (env_->NextWriteIsDropped()) return Status::Ok();
    if (env_->NextWriteIsShort()) {
      // Half the bytes reach the file whatever this says: a short write.
      static_cast<void>(file_->WriteAt(offset, data.substr(0, data.size() / 2)));
      return Status::Error(kDiskFull);
    }
    return file_->WriteAt(offset, data);
  }
  Status Length(int64_t* length) override {
    Status s = file_->Length(length);
    if (s.ok()) *length -= std::min(*length, env_->staleLengthBy());
    return s;
  }
  Status Truncate(int64_t length) override {
    Status s = env_->Next(FileOp::kTruncate);
    if (!s.ok()) return s;
    FaultInjectionEnv::KeepBeforeChange(durable_.get(), [this] { return Contents(); });
    return file_->Truncate(length);
  }
  Status Sync() override {
    Status s = env_->Next(FileOp::kSync);
    if (s.ok()) s = file_->Sync();
    if (s.ok() && durable_) durable_->known = true, durable_->bytes = Contents();
    env_->AfterSync();
    return s;
  }
  Status ReadBack(int64_t offset, size_t n, std::string* out) override {
    Status s = env_->Next(FileOp::kRead);
    return s.ok() ? file_->ReadBack(offset, n, out) : s;
  }
  bool StillNamedByItsPath() override { return file_->StillNamedByItsPath(); }
  std::string Identity() override { return file_->Identity(); }

 private:
  // What the file holds now, read past the fault injection. A file that may
  // be written but not read is read by its path.
  std::string Contents() {
    int64_t length = 0;
    std::string bytes;
    if (file_->Length(&length).ok() && file_->ReadAt(0, size_t(length), &bytes).ok()) return bytes;
    return ReadWholeFile(path_);
  }

  FaultInjectionEnv* env_;
  std::unique_ptr<File> file_;
  std::shared_ptr<DurableFile> durable_;
  std::string path_;
};

}  // namespace

FakeClockEnv::FakeClockEnv(Env* target) : EnvWrapper(target) {}

void FakeClockEnv::SetNow(const LocalDateTime& now) {
  date_ = now;
  millis_ = (now.hour * 3600 + now.minute * 60 + now.second) * 1000LL;
}

LocalDateTime FakeClockEnv::Now() {
  LocalDateTime now = date_;
  int64_t seconds = millis_ / 1000 % 86400;
  now.hour = static_cast<int>(seconds / 3600);
  now.minute = static_cast<int>(seconds / 60 % 60);
  now.second = static_cast<int>(seconds % 60);
  return now;
}

void FakeClockEnv::SleepMs(int milliseconds) {
  millis_ += milliseconds;
  sleptMs_ += milliseconds;
}

int FaultInjectionEnv::count(FileOp op) const {
  auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

void FaultInjectionEnv::ResetCounts() {
  counts_.clear();
  bytesRead_ = 0;
}

Status FaultInjectionEnv::Next(FileOp op) {
  if (powerLeft_ == 0) {
    powerWasCut_ = true;
    return Status::Error(kDeviceIoError);
  }
  if (powerLeft_ > 0) --powerLeft_;
  int n = ++counts_[op];
  auto it = faults_.find({op, n});
  return it == faults_.end() ? Status::Ok() : Status::Error(it->second);
}

// The power cut models what a journaling file system promises, and no more:
// a file's contents reach the disk at its sync, all at once, and a name made,
// replaced or removed in a folder reaches it at a sync of that folder, which
// makes every change of name in that folder durable. So after the cut each
// file holds what its last sync wrote (or what it held before this Env first
// changed it), a file made since its folder's last sync is gone, and a
// rename or removal since then is undone: the old file itself, with its
// identity and permission bits, is back under its name. It does not model
// writes that reach the disk in part (a torn append: the killed-writer tests
// make those), nor other processes' or the test's own writes to a file after
// the Env first saw it. The Env itself syncs the folder of a file that a
// kUpdate open creates (env.h); shared_folder_test checks that it does.
FaultInjectionEnv::~FaultInjectionEnv() {
  std::error_code ignored;
  if (!keptFolder_.empty()) std::filesystem::remove_all(keptFolder_, ignored);
}

std::shared_ptr<DurableFile> FaultInjectionEnv::FileNamed(const std::string& nativePath) {
  const std::string identity = IdentityOf(nativePath);
  if (identity.empty()) return nullptr;
  auto& file = files_[identity];
  if (!file) file = std::make_shared<DurableFile>(DurableFile{.identity = identity});
  return file;
}

// A name first seen holds durably what lies there, or nothing.
void FaultInjectionEnv::NoteName(const std::string& nativePath) {
  if (!durableNames_.count(nativePath)) durableNames_[nativePath] = FileNamed(nativePath);
}

void FaultInjectionEnv::NamesMadeDurable(const std::string& folder) {
  for (auto& [name, file] : durableNames_)
    if (FolderOf(name) == folder) file = FileNamed(name);
}

void FaultInjectionEnv::KeepBeforeChange(DurableFile* file,
                                         const std::function<std::string()>& read) {
  if (file && !file->known) file->known = true, file->bytes = read();
}

// A second link keeps the file itself, so that an undone rename or removal
// brings back the same file rather than a copy.
void FaultInjectionEnv::KeepBeforeItsNameGoes(const std::string& nativePath) {
  NoteName(nativePath);
  const std::shared_ptr<DurableFile> file = FileNamed(nativePath);
  if (!file) return;
  KeepBeforeChange(file.get(), [&] { return ReadWholeFile(nativePath); });
  if (!file->kept.empty()) return;
  if (keptFolder_.empty()) {
    std::string folder = (std::filesystem::temp_directory_path() / "telvo-kept-XXXXXX").string();
    if (::mkdtemp(folder.data())) keptFolder_ = folder;
  }
  // The link keeps the identity from being given to another file meanwhile.
  file->kept = keptFolder_ + "/" + file->identity;
  if (::link(nativePath.c_str(), file->kept.c_str()) != 0)
    ADD_FAILURE() << "cannot keep " << nativePath << " for a power cut";
}

void FaultInjectionEnv::DropUnsyncedData() {
  for (const auto& [name, file] : durableNames_) {
    std::error_code ignored;
    if (!file || (!file->kept.empty() && IdentityOf(name) != file->identity))
      std::filesystem::remove(name, ignored);
    if (file && !file->kept.empty() && IdentityOf(name).empty())
      std::filesystem::create_hard_link(file->kept, name, ignored);
    // An unknown file was never changed through this Env, so it is still there.
    if (file && file->known) WriteWholeFile(name, file->bytes);
  }
  // After the restart all that is on the disk is durable.
  durableNames_.clear();
  files_.clear();
  std::error_code ignored;
  if (!keptFolder_.empty()) std::filesystem::remove_all(keptFolder_, ignored);
  keptFolder_.clear();
  powerLeft_ = -1;
  powerWasCut_ = false;
}

Status FaultInjectionEnv::OpenFile(const std::string& path, FileAccess access,
                                   std::unique_ptr<File>* file) {
  Status s = Next(FileOp::kOpen);
  if (!s.ok()) return s;
  const std::string native = target()->ResolvePath(path);
  NoteName(native);
  std::shared_ptr<DurableFile> durable = FileNamed(native);
  if (access == FileAccess::kRewrite)
    KeepBeforeChange(durable.get(), [&] { return ReadWholeFile(native); });
  std::unique_ptr<File> inner;
  s = target()->OpenFile(path, access, &inner);
  if (!s.ok()) return s;
  if (!durable && access != FileAccess::kRead) {
    // Made by this open, empty; a number another file had may name it now.
    const std::string identity = IdentityOf(native);
    durable = files_[identity] =
        std::make_shared<DurableFile>(DurableFile{.identity = identity, .known = true});
    if (access == FileAccess::kUpdate) NamesMadeDurable(FolderOf(native));
  }
  *file = std::make_unique<FaultyFile>(this, std::move(inner), durable, native);
  return s;
}

Status FaultInjectionEnv::ReplaceFile(const std::string& from, const std::string& to) {
  if (beforeReplace_) beforeReplace_(to);
  Status s = Next(FileOp::kRename);
  if (!s.ok()) return s;
  const std::string source = target()->ResolvePath(from), replaced = target()->ResolvePath(to);
  KeepBeforeItsNameGoes(source);
  KeepBeforeItsNameGoes(replaced);
  const std::string replacedIdentity = IdentityOf(replaced);
  s = target()->ReplaceFile(from, to);
  if (s.ok()) files_.erase(replacedIdentity);
  return s;
}

Status FaultInjectionEnv::SyncFolderOf(const std::string& path) {
  Status s = Next(FileOp::kFolderSync);
  if (s.ok()) s = target()->SyncFolderOf(path);
  if (s.ok()) NamesMadeDurable(FolderOf(target()->ResolvePath(path)));
  return s;
}

Status FaultInjectionEnv::DeleteFile(const std::string& path) {
  Status s = Next(FileOp::kDelete);
  if (!s.ok()) return s;
  const std::string native = target()->ResolvePath(path);
  KeepBeforeItsNameGoes(native);
  const std::string identity = IdentityOf(native);
  s = target()->DeleteFile(path);
  if (s.ok()) files_.erase(identity);
  return s;
}

TempDir::TempDir() {
  // Digits only: the program upper-cases paths, and a name that differs from
  // another test's only in case would resolve to the wrong folder.
  static int counter = 0;
  for (;;) {
    path_ = (std::filesystem::temp_directory_path() /
             ("telvo-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
                .string();
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) return;
    if (error) throw std::runtime_error("cannot create " + path_);
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& nativePath, const std::string& bytes) {
  std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace telvo::test
