#include "service/store_messages.h"

namespace telvo {
namespace {

std::string CodeText(const Status& status) {
  return status.description() + " " + std::to_string(status.code());
}

std::string ReplaceFailureText(int code) {
  if (code == kPermissionDenied || code == kPathFileAccessError)
    return "Purge control file is locked. Try again.";
  if (code == kPathNotFound) return "Invalid Path For User's Phonelog ";
  if (code == kDiskFull) return "The disk is full. Nothing was purged.";
  return "Unknown Error  " + std::to_string(code);
}

}  // namespace

std::string SymbolicLinkRefusal(const Status& status) {
  return status.context() +
         " is a symbolic link. Telvo neither writes through a link nor replaces it: ask the "
         "administrator to put the file itself there.";
}

std::string DatabaseFailureText(const StoreError& error) {
  // The server's message is plain text of the server's making, shown after
  // the program's own sentence so a person knows whose words they read.
  switch (error.kind) {
    case StoreError::Kind::kDatabaseUnreachable:
      return "The database could not be reached.\r" + error.detail;
    case StoreError::Kind::kDatabaseRefused:
      return "The database refused the request.\r" + error.detail;
    default:
      return "";
  }
}

std::string LogFailureText(const StoreError& error) {
  using Kind = StoreError::Kind;
  switch (error.kind) {
    case Kind::kDatabaseUnreachable:
    case Kind::kDatabaseRefused:
      return DatabaseFailureText(error);
    case Kind::kLocked:
      return "Message file is locked up";
    case Kind::kNoFolder:
      return "Invalid Path For User's Phonelog ";
    case Kind::kSymbolicLink:
      return SymbolicLinkRefusal(error.status);
    case Kind::kUnreadable:
      return "Insufficient file permissions to view calls";
    case Kind::kDamaged:
      return "The phone log is damaged at byte " + std::to_string(error.at) +
             ". Please call technical support.";
    case Kind::kStale:
      return StaleCallText(false);
    default:
      return "Unknown Error  " + std::to_string(error.status.code());
  }
}

std::string NotDeliveredText(const StoreError& error) {
  using Kind = StoreError::Kind;
  const std::string notDelivered = "The message was not delivered.\r";
  switch (error.kind) {
    case Kind::kUnsafeShare:
      return notDelivered + error.detail;
    case Kind::kNotKept:
      return notDelivered + kShareDidNotKeepIt;
    case Kind::kWriteFailed:
      return notDelivered + CodeText(error.status);
    case Kind::kDatabaseUnreachable:
    case Kind::kDatabaseRefused:
      return notDelivered + DatabaseFailureText(error);
    default:
      return LogFailureText(error);
  }
}

std::string NotExportedText(const StoreError& error) {
  const std::string database = DatabaseFailureText(error);
  if (!database.empty()) return "The message was not exported.\r" + database;
  return "The message was not exported.\r" + (error.kind == StoreError::Kind::kSymbolicLink
                                                  ? SymbolicLinkRefusal(error.status)
                                                  : CodeText(error.status));
}

std::string PurgeFailureText(const PurgeResult& result) {
  const std::string database = DatabaseFailureText(result.error);
  if (!database.empty()) return database;
  const int code = result.error.status.code();
  switch (result.failure) {
    case PurgeResult::Failure::kWrite:
      return ReplaceFailureText(code);
    // A lock is worth trying again; a share that refuses the rename itself
    // (EACCES, EPERM, EBUSY: 75) will refuse it every time.
    case PurgeResult::Failure::kRename:
      if (code == kPathFileAccessError)
        return "This shared folder does not let the phone log be replaced, so purging cannot "
               "work here. Nothing was purged. Please call technical support.";
      return ReplaceFailureText(code);
    default:
      return LogFailureText(result.error);
  }
}

std::string PurgeFatalText(const PurgeResult& result) {
  return result.failure == PurgeResult::Failure::kWorkFile
             ? "Error opening .NEW file during purge."
             : "Error opening archive file during purge.";
}

std::string PurgeUndoFailureText(const StoreError& error) {
  return ReplaceFailureText(error.status.code());
}

std::string PurgeUnsyncedText(const StoreError& error) {
  return "The calls were purged, but the folder could not be synced (Unknown Error  " +
         std::to_string(error.status.code()) +
         "): a power failure now could bring the purged calls back.";
}

std::string StaleCallText(bool marking) {
  std::string text =
      "Purge was performed by another user.\rMessage log will be redisplayed from beginning.\r";
  if (marking) text += "Please retry marking this message.";
  return text;
}

}  // namespace telvo
