#pragma once
// Carrying out the action chosen for one listed call: a new mark written in
// place, or a forward or export that may lead to one. The call list's page
// memory says where the call is; it is checked against the file before and
// again after any dialog, because the log is not held open while the user
// decides and another workstation may purge it meanwhile.

#include <utility>

#include "core/program.h"
#include "store/phone_store.h"

namespace telvo {

// Values of CallAction, as the Actions menu's items store them.
enum CallActionCode : int16_t {
  kActionNone = 0,  // the menu was closed without a choice
  kActionDelete = 1,
  kActionArchive = 2,
  kActionImportant = 3,
  kActionForward = 4,
  kActionNew = 5,
  kActionExport = 6,
};

// The listing the action works on. The call list's paging engine implements
// it; the action needs only these ways back to the screen.
class CallPageView {
 public:
  virtual ~CallPageView() = default;
  // The call shown in `row` as it was read, or null for no such row.
  virtual const Call* ShownCall(int row) const = 0;
  // Draws `call`, as it now stands, again in `row` at the row's height.
  virtual void RedrawRow(int row, const Call& call) = 0;
  // Lists the calls again from the newest one.
  virtual void ShowNewestPage() = 0;
};

// One call and no screen: for acting on a call named otherwise than by a
// listing (telvo-log names it by its id).
class SingleCallView : public CallPageView {
 public:
  explicit SingleCallView(Call call) : call_(std::move(call)) {}
  const Call* ShownCall(int row) const override { return row == 0 ? &call_ : nullptr; }
  void RedrawRow(int, const Call& call) override { call_ = call; }
  void ShowNewestPage() override {}
  const Call& call() const { return call_; }

 private:
  Call call_;
};

// Carries out `action` on the call in `row` of the listing in the book
// shown, and redraws that row from the store. Shows its own messages;
// nothing is written when the call is no longer where the page says.
// False when the action could not be carried out and a stop box said why.
bool ApplyCallAction(Program& program, CallPageView& view, int row, int action);

}  // namespace telvo
