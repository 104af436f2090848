#pragma once
// What a person is told when the store could not do what they asked: the
// program's own texts for each outcome, shared by the windows and telvo-log.

#include <string>

#include "store/phone_store.h"

namespace telvo {

inline constexpr const char* kShareDidNotKeepIt =
    "The shared folder did not keep the message. Please tell the administrator.";

// A database that could not be reached or refused the request, followed by
// the server's message; "" for a failure that is not the database's.
std::string DatabaseFailureText(const StoreError& error);
// A phone log that could not be opened or read, shown under its owner's name.
std::string LogFailureText(const StoreError& error);
// A call that could not be posted, under the recipient's name.
std::string NotDeliveredText(const StoreError& error);
// A call that could not be appended to the export file.
std::string NotExportedText(const StoreError& error);
// A call shown that a purge elsewhere has moved; `marking` adds the request
// to mark it again.
std::string StaleCallText(bool marking);
// Why a purge stopped with nothing changed (its failure is kLog, kWrite or
// kRename).
std::string PurgeFailureText(const PurgeResult& result);
// A purge that could not open its work file or the archive, which the
// program cannot go on from.
std::string PurgeFatalText(const PurgeResult& result);
// A purge stopped, and the calls it had appended to the archive could not
// be cut off again: they stand in the archive and the log both.
std::string PurgeUndoFailureText(const StoreError& error);
// A purge in place whose folder could not be synced.
std::string PurgeUnsyncedText(const StoreError& error);
// The text for a file to be written that is a symbolic link, naming its path.
std::string SymbolicLinkRefusal(const Status& status);

}  // namespace telvo
