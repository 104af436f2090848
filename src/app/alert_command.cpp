// alert: a person's alert as the program keeps it, for an administrator:
// shown (text, back, stand-in, posted), set or removed, on a shared folder
// or in a database, under the same lock and rules as the alert window.

#include <ostream>

#include "app/log_commands.h"
#include "app/log_path.h"
#include "core/alert_note.h"
#include "core/text.h"
#include "core/workgroup.h"
#include "service/store_messages.h"

namespace telvo {
namespace {

std::string LinesForStore(std::string text) {
  std::string stored;
  for (char c : text) {
    if (c == '\n' && (stored.empty() || stored.back() != '\r')) stored += '\r';
    stored += c;
  }
  return stored;
}

int StoreFailure(LogSession& session, const std::string& owner, const StoreError& error) {
  const std::string database = DatabaseFailureText(error);
  if (!database.empty()) return session.Stop(owner, database);
  if (error.kind == StoreError::Kind::kLocked)
    return session.Stop(owner, "Message file is locked up");
  return session.Fail(error.status);
}

int Show(LogSession& session, const Person& owner) {
  const AlertRead alert = session.store().ReadAlert(owner);
  if (!alert.error.ok()) return StoreFailure(session, owner.name, alert.error);
  if (!alert.exists) {
    if (!session.line.has("--tsv")) session.out << "No alert.\n";
    return 0;
  }
  const AlertNote note = ReadAlertNote(alert.text);
  const std::string back = note.back ? FormatMoment(*note.back) : "";
  const ConsoleBoxes& t = session.boxes;
  if (session.line.has("--tsv")) {
    session.out << t.ForTerminal(TsvField(note.text)) << '\t' << back << '\t'
                << t.ForTerminal(TsvField(note.callsTo)) << '\t' << TsvField(note.posted) << '\n';
    return 0;
  }
  std::string text = note.text;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.replace(at, 2, "\n");
  session.out << t.ForTerminal(text) << "\n";
  if (note.back)
    session.out << "Back:     " << back
                << (HasEnded(note, session.program.env.Now()) ? " (ended)" : "") << "\n";
  if (!note.callsTo.empty()) session.out << "Calls to: " << t.ForTerminal(note.callsTo) << "\n";
  if (!note.posted.empty()) session.out << "Posted:   " << note.posted << "\n";
  return 0;
}

int Set(LogSession& session, int person) {
  Program& program = session.program;
  const CommandLine& line = session.line;
  AlertNote note;
  note.text = LinesForStore(session.Input("--set"));
  const LocalDateTime now = program.env.Now();
  if (line.has("--back")) {
    note.back = ReadMoment(line.get("--back"));
    if (!note.back) return session.Usage("--back takes a moment such as \"9:00 AM 12-09-2026\"");
    if (HasEnded(note, now))
      return session.Fail("The Back moment " + line.get("--back") + " has passed already.");
  }
  if (line.has("--calls-to")) {
    const int standIn = program.workgroup.FindIgnoringCase(session.Input("--calls-to"));
    if (standIn < 0)
      return session.Fail(session.Input("--calls-to") + " is not in the workgroup list");
    if (standIn == person) return session.Fail("Calls are taken for a person by someone else.");
    note.callsTo = program.workgroup.NameOf(standIn);
  }
  const Person& owner = program.workgroup.at(person);
  const StoreError written = session.store().WriteAlert(owner, AlertNoteText(note), now);
  if (!written.ok()) return StoreFailure(session, owner.name, written);
  session.out << "Alert saved.\n";
  return 0;
}

int RunAlert(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 2) return session.Usage("alert takes WORKGROUP_LIST and NAME");
  if (line.has("--set") && line.has("--remove"))
    return session.Usage("--set and --remove exclude each other");
  if (!line.has("--set") && (line.has("--back") || line.has("--calls-to")))
    return session.Usage("--back and --calls-to go with --set");
  Program& program = session.program;
  program.settings.workgroupPath = LogProgramPath(program.env, session.Text(line.positional[0]));
  std::vector<std::string> names;
  if (!LoadWorkgroup(program, names).ok()) return 1;
  const int person = program.workgroup.FindIgnoringCase(session.Text(line.positional[1]));
  if (person < 0)
    return session.Fail(line.positional[1] + " is not in the workgroup list " + line.positional[0]);
  const Person& owner = program.workgroup.at(person);
  if (line.has("--set")) return Set(session, person);
  if (!line.has("--remove")) return Show(session, owner);
  const AlertRead alert = session.store().ReadAlert(owner);
  if (!alert.error.ok()) return StoreFailure(session, owner.name, alert.error);
  if (!alert.exists) return session.Fail(owner.name + " has no alert");
  const StoreError removed = session.store().RemoveAlert(owner);
  if (!removed.ok()) return session.Stop("Telvo", "Error Deleting Alert");
  session.out << "Alert removed.\n";
  return 0;
}

}  // namespace

const LogCommand kAlertCommand = {
    "alert",
    "--set= --back= --calls-to= --remove --tsv",
    "Usage: telvo-log alert WORKGROUP_LIST NAME [--tsv]\n"
    "  or:  telvo-log alert WORKGROUP_LIST NAME --set TEXT [--back MOMENT] [--calls-to NAME]\n"
    "  or:  telvo-log alert WORKGROUP_LIST NAME --remove\n"
    "\n"
    "Shows the alert of NAME in the workgroup WORKGROUP_LIST names (a shared\n"
    "folder's or a database's): its text, when they are back, who takes their\n"
    "calls and when it was posted. --set writes a new alert, --remove deletes\n"
    "it, under the same lock as the alert window. An alert whose Back moment\n"
    "has passed is shown with \"(ended)\"; only its owner's Telvo removes it.\n"
    "\n"
    "Options:\n"
    "      --set TEXT         the alert's text (lines separated by line feeds)\n"
    "      --back MOMENT      with --set: when NAME is back, such as\n"
    "                         \"9:00 AM 12-09-2026\"; the alert ends then\n"
    "      --calls-to NAME    with --set: who takes NAME's calls meanwhile, a\n"
    "                         member of the workgroup list\n"
    "      --remove           delete the alert\n"
    "      --tsv              one line of tab-separated fields: text, back,\n"
    "                         calls to, posted\n"
    "  -h, --help             show this help and exit\n"
    "  -V, --version          show the version and exit\n",
    RunAlert,
};

}  // namespace telvo
