#pragma once
// Internals of PosixEnv shared between its source files.

#include <functional>
#include <memory>
#include <string>

#include "platform/env.h"

namespace telvo {

std::string FolderOf(const std::string& nativePath);
bool FolderOfExists(const std::string& nativePath);
// The failure names `nativePath` as its context.
Status StatusFromErrno(int err, const std::string& nativePath);
Status SyncFolderOfNative(const std::string& nativePath);
// A missing file is created for kUpdate and kRewrite unless `createMissing`
// is false; then it is 53 or 76, as for kRead.
Status OpenLockedFile(const std::string& nativePath, FileAccess access, std::unique_ptr<File>* file,
                      bool createMissing = true);

// Runs between a file's open and its lock, so tests can replace the file in
// that window. Not for use outside tests.
void SetBeforeLockHookForTesting(std::function<void(const std::string&)> hook);
// Runs before each folder sync with the native path whose folder is synced.
void SetFolderSyncHookForTesting(std::function<void(const std::string&)> hook);

}  // namespace telvo
