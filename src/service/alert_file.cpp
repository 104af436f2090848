#include "service/alert_file.h"

#include <memory>

#include "service/store_messages.h"
#include "store/phone_store.h"

namespace telvo {
namespace {

[[noreturn]] void EndWritingFailed(Program& program, int code) {
  FatalFileError(program, "Error in writing alert file.", code);
}

}  // namespace

AlertRead ReadAlert(Program& program, int person) {
  AlertRead alert = program.store->ReadAlert(program.workgroup.at(person));
  if (!alert.error.ok()) {
    const Status& failure = alert.error.status;
    const std::string database = DatabaseFailureText(alert.error);
    ShowNotice(
        program, "Telvo error reading alert",
        database.empty() ? failure.description() + std::to_string(failure.code()) : database);
  }
  return alert;
}

bool WriteAlert(Program& program, int person, const std::string& text) {
  const StoreError written =
      program.store->WriteAlert(program.workgroup.at(person), text, program.env.Now());
  if (written.ok()) return true;
  // A colleague reading or saving the same alert: the typed text must
  // survive, so the user may simply try again.
  if (written.kind == StoreError::Kind::kLocked) {
    ShowNotice(program, "Telvo", "Message file is locked up");
    return false;
  }
  // A database out of reach is no reason to end the program either: the
  // alert was not saved, and the server may answer the next try.
  const std::string database = DatabaseFailureText(written);
  if (!database.empty()) {
    ShowNotice(program, "Telvo", database);
    return false;
  }
  EndWritingFailed(program, written.status.code());
}

void RemoveAlert(Program& program, int person) {
  if (!program.store->RemoveAlert(program.workgroup.at(person)).ok())
    ShowNotice(program, "Telvo", "Error Deleting Alert");
}

AlertRead ReadCurrentAlert(Program& program, int person) {
  AlertRead alert = ReadAlert(program, person);
  if (alert.exists && HasEnded(ReadAlertNote(alert.text), program.env.Now())) {
    alert.exists = false;
    alert.text.clear();
  }
  return alert;
}

bool EndMyAlertIfOver(Program& program) {
  const int me = program.workgroup.myIndex();
  if (!program.workgroup.Has(me)) return false;
  const Person& owner = program.workgroup.at(me);
  const AlertRead alert = program.store->ReadAlert(owner);
  if (!alert.error.ok() || !alert.exists) return false;
  if (!HasEnded(ReadAlertNote(alert.text), program.env.Now())) return false;
  bool removed = false;
  if (!program.store->RemoveAlertIf(owner, alert.text, &removed).ok() || !removed) return false;
  ShowNotice(program, "Telvo", kAlertEnded);
  return true;
}

}  // namespace telvo
