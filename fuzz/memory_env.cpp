#include "memory_env.h"

#include <algorithm>

namespace telvo::fuzz {
namespace {

class MemoryFile : public File {
 public:
  MemoryFile(MemoryEnv& env, std::shared_ptr<std::string> bytes)
      : env_(env), bytes_(std::move(bytes)) {}

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    out->clear();
    Status s = env_.NextOperation("read");
    if (!s.ok()) return s;
    if (offset < 0) return Status::Error(kBadFileName);
    if (static_cast<uint64_t>(offset) < bytes_->size())
      out->assign(*bytes_, static_cast<size_t>(offset), n);
    return s;
  }
  Status WriteAt(int64_t offset, std::string_view data) override {
    Status s = env_.NextOperation("write");
    if (!s.ok()) return s;
    if (offset < 0) return Status::Error(kBadFileName);
    const size_t at = static_cast<size_t>(offset);
    if (bytes_->size() < at + data.size()) bytes_->resize(at + data.size());
    std::copy(data.begin(), data.end(), bytes_->begin() + static_cast<std::ptrdiff_t>(at));
    return s;
  }
  Status Length(int64_t* length) override {
    *length = static_cast<int64_t>(bytes_->size());
    return Status::Ok();
  }
  Status Truncate(int64_t length) override {
    Status s = env_.NextOperation("truncate");
    if (s.ok()) bytes_->resize(static_cast<size_t>(length));
    return s;
  }
  Status Sync() override { return env_.NextOperation("sync"); }
  Status ReadBack(int64_t offset, size_t n, std::string* out) override {
    return ReadAt(offset, n, out);
  }
  bool StillNamedByItsPath() override { return true; }
  // A file renamed over another keeps its own bytes object.
  std::string Identity() override {
    return std::to_string(reinterpret_cast<uintptr_t>(bytes_.get()));
  }

 private:
  MemoryEnv& env_;
  std::shared_ptr<std::string> bytes_;
};

}  // namespace

Status MemoryEnv::NextOperation(const char* kind) {
  if (++operations_ != failAt_) return Status::Ok();
  failedKind_ = kind;
  return Status::Error(failCode_);
}

void MemoryEnv::Put(const std::string& path, std::string bytes) {
  files[path] = std::make_shared<std::string>(std::move(bytes));
}

std::string MemoryEnv::Get(const std::string& path) const {
  auto it = files.find(path);
  return it == files.end() ? std::string() : *it->second;
}

Status MemoryEnv::OpenFile(const std::string& path, FileAccess access,
                           std::unique_ptr<File>* file) {
  file->reset();
  Status s = NextOperation("open");
  if (!s.ok()) return s;
  if (path.empty()) return Status::Error(kBadFileName, path);
  auto it = files.find(path);
  if (it == files.end()) {
    if (access == FileAccess::kRead) return Status::Error(kFileNotFound, path);
    it = files.emplace(path, std::make_shared<std::string>()).first;
  }
  if (access == FileAccess::kRewrite) it->second->clear();
  *file = std::make_unique<MemoryFile>(*this, it->second);
  return s;
}

Status MemoryEnv::FileLength(const std::string& path, int64_t* length) {
  auto it = files.find(path);
  if (it == files.end()) return Status::Error(kFileNotFound, path);
  *length = static_cast<int64_t>(it->second->size());
  return Status::Ok();
}

Status MemoryEnv::DeleteFile(const std::string& path) {
  Status s = NextOperation("delete");
  if (s.ok() && files.erase(path) == 0) s = Status::Error(kFileNotFound, path);
  return s;
}

Status MemoryEnv::ReplaceFile(const std::string& from, const std::string& to) {
  Status s = NextOperation("rename");
  if (!s.ok()) return s;
  auto it = files.find(from);
  if (it == files.end()) return Status::Error(kFileNotFound, from);
  // A file still open keeps the bytes it had, as an open file does after a
  // rename replaced its name.
  files[to] = it->second;
  files.erase(it);
  return s;
}

std::string MemoryEnv::ResolvePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

}  // namespace telvo::fuzz
