#pragma once
// What every telvo-log command works with: its command line, a Program whose
// current log is the one the line names, and the ways of telling the user.
// Results go to `out`; every complaint goes to `err`.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/console_boxes.h"
#include "app/log_tool.h"
#include "core/program.h"
#include "service/workgroup_stores.h"
#include "store/folder_store.h"
#include "store/phone_log.h"

namespace telvo {

// How list names a call for mark, export and list --before: its offset and
// a digest of its body without the mark, "1234:9f3a01bc". An offset alone
// would name whatever call a purge elsewhere moved there; the mark is left
// out because a mark set elsewhere leaves the call the same one, as the
// program's own check of a listed call has it.
std::string CallIdentity(const Record& call);
// The usage text's example of the form.
inline constexpr const char* kIdentityForm =
    "a call is named as list shows it: OFFSET:DIGEST, such as 1234:9f3a01bc";

// A field on one line of a tab-separated file, whatever it holds: line
// ends, tabs and backslashes written as \r, \n, \t and \\.
std::string TsvField(const std::string& text);

class LogSession {
 public:
  LogSession(const CommandLine& commandLine, Env& env, std::ostream& results, std::ostream& errors,
             TerminalText terminal);

  // 0 when the line named calls that can be worked on, else the exit status
  // after saying why: with --person, the workgroup list (LOG) could not be
  // read, or does not name the person.
  int ready() const { return ready_; }

  // The exit status of a command line that makes no sense, after naming the
  // problem and the command's usage.
  int Usage(const std::string& problem);
  // The exit status of a refused or failed command, after saying why.
  int Fail(const std::string& problem);
  int Fail(const Status& status);
  // The exit status after the program's own stop box for a failure, shown
  // as the program shows it: "CAPTION: TEXT".
  int Stop(const std::string& caption, const std::string& text);
  // The exit status after a store operation: 1 when it told of a failure.
  int Outcome() const;

  // A command-line word (or an option's value) in the program's code page.
  std::string Text(const std::string& typed) const;
  std::string Input(const std::string& option) const { return Text(line.get(option)); }

  // The log opened for reading under the shared lock, a writer's lock waited
  // out as the program waits it out. Null after saying why (exit status 1).
  // Given `missing`, a log not yet made in a folder that exists (no call
  // was ever posted) is no failure: null, `missing` true, and a note on
  // standard error; reading never makes the file.
  std::unique_ptr<File> OpenForReading(int64_t* length, bool* missing = nullptr);

  // The calls of the log the line names.
  CallBook book() const;

  // 0 when the call that `identity` (as list shows it, CallIdentity) names
  // is still where it was listed, which is then in `call`; one record is
  // read, whatever the log's size. Otherwise the exit status after saying
  // why: a word that is no identity is a usage error (2); a call no longer
  // there (a purge elsewhere moved it) is refused as the program refuses it
  // (1).
  int FindCall(const std::string& identity, Call* call);
  // The exit status (1) after saying why the store refused: as the call
  // list says it for a lock, damage and a call that moved, and otherwise
  // with the file and the system's words.
  int ReportStoreError(const StoreError& error);

  const CommandLine& line;
  std::ostream& out;
  std::ostream& err;
  ConsoleBoxes boxes;
  Program program;
  WorkgroupStores stores;
  // Where the calls are kept: the shared folder's store, or the database
  // the workgroup list names.
  PhoneStore& store() { return *program.store; }
  // The person whose log the line names: its archive and export file lie
  // beside it, its computer is --computer. With --person, the person of
  // that name in the workgroup list LOG, wherever the list keeps them.
  Person owner;

 private:
  // --person NAME: LOG is a workgroup list, of people or of a database.
  int FindPerson();

  TerminalText terminal_;
  int ready_ = 0;
};

}  // namespace telvo
