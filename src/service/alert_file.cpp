#include "service/alert_file.h"

#include <memory>

#include "service/store_messages.h"
#include "store/phone_store.h"

namespace telvo {
namespace {

[[noreturn]] void EndWritingFailed(Program& program, int code) {
  program.state.ErrorNumber = static_cast<int16_t>(code);
  program.state.NoticeText = "Error in writing alert file.";
  FatalFileError(program);
}

}  // namespace

void ReadAlert(Program& program, int person) {
  ProgramState& s = program.state;
  AlertRead alert = program.store->ReadAlert(program.workgroup.at(person));
  s.AlertText = std::move(alert.text);
  s.AlertError = static_cast<int16_t>(alert.exists ? 0 : alert.error.ok() ? kFileNotFound
                                                                          : alert.error.status.code());
  if (alert.error.ok()) return;
  ShowNotice(program, "Telvo error reading alert",
             alert.error.status.description() + std::to_string(alert.error.status.code()));
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
  EndWritingFailed(program, written.status.code());
}

void RemoveAlert(Program& program, int person) {
  if (!program.store->RemoveAlert(program.workgroup.at(person)).ok())
    ShowNotice(program, "Telvo", "Error Deleting Alert");
}

}  // namespace telvo
