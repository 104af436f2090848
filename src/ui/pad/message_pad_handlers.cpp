// The pad's handlers: what its list, its text boxes and its buttons do.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/config_file.h"
#include "core/pad_rules.h"
#include "store/phone_store.h"
#include "service/delivery.h"
#include "ui/common/qt_text.h"
#include "ui/help/help_window.h"
#include "ui/options/options_dialog.h"
#include "ui/pad/message_pad.h"

namespace telvo {

void MessagePad::ClearPad() {
  Check1_->setChecked(false);
  Caller_->clear();
  phone_->clear();
  message_->clear();
  Caller_->setFocus();
  alertShownFor_ = -1;
}

void MessagePad::StampDateTime() {
  const StampTexts stamp = StampFor(program_.env.Now());
  Date_->setText(ToQt(stamp.date));
  Time_->setText(ToQt(stamp.time));
}

void MessagePad::Caller_Change() {
  const bool usable = CallerAllowsDelivery(FromQt(Caller_->text()));
  Command2_->setEnabled(usable);
  if (usable) StampDateTime();
  Date_->setEnabled(usable);
  Time_->setEnabled(usable);
}

int MessagePad::Selected() const { return List1_->currentRow(); }

PadValues MessagePad::Values() const {
  PadValues pad;
  pad.selectedIndex = Selected();
  pad.caller = FromQt(Caller_->text());
  pad.date = FromQt(Date_->text());
  pad.time = FromQt(Time_->text());
  pad.phone = FromQt(phone_->text());
  pad.message = StoredMessage(FromQt(message_->toPlainText()));
  pad.urgent = Check1_->isChecked();
  return pad;
}

void MessagePad::Form_Activate() {
  if (s_.activeWindow == kAlertWindow) {
    s_.activeWindow = kMessagePad;
    return;
  }
  SelectDefaultPerson();
  if (!forward_) ClearPad();
}

// The pad's own choice of person shows no alert. Its selection runs the
// list's handler only when it selects someone; the flag is dropped either
// way, so the user's next selection does show one.
void MessagePad::SelectDefaultPerson() {
  skipAlertOnce_ = true;
  const int defaultIndex = program_.workgroup.defaultIndex();
  const int row = defaultIndex < List1_->count() ? defaultIndex : -1;
  {
    const QSignalBlocker quiet(List1_);
    List1_->setCurrentRow(row);
  }
  if (row >= 0) List1_Click();
  skipAlertOnce_ = false;
}

void MessagePad::List1_Click() {
  const int person = Selected();
  if (!forward_) Command5_[0]->setEnabled(true);
  Command2_->setText(ToQt(DeliverCaption(program_.workgroup.NameOf(person))));
  Caller_->setFocus();
  if (skipAlertOnce_) {
    skipAlertOnce_ = false;
    return;
  }
  alertShownFor_ = person;
  ShowAlertToTaker(person);
}

void MessagePad::ShowAlertToTaker(int person) {
  const AlertRead alert = alerts_.read(program_, person);
  if (alert.exists) ShowAlert(person, AlertUse::kShowToTaker, alert.text);
}

// The View button's way to the call list, and only while that button could
// be pressed: not in a forward, and never for no one.
void MessagePad::List1_DblClick() {
  if (Command5_[0]->isEnabled() && Selected() >= 0) Command5_Click(0);
}

void MessagePad::ShowAlert(int person, AlertUse use, const std::string& text) {
  // The alert window is in charge while it is open; when it closes, the
  // pad's activation finds it so and keeps the selection and the fields.
  s_.activeWindow = kAlertWindow;
  alerts_.show(program_, person, use, text, this);
  AfterWindowClosedOver();
}

void MessagePad::AfterWindowClosedOver() {
  if (isVisible()) Form_Activate();
}

bool MessagePad::DateIsValid() {
  const std::optional<std::string> date = PadDate(FromQt(Date_->text()));
  if (!date) {
    ShowStop(program_, "Telvo ", "Invalid Date");
    return false;
  }
  Date_->setText(ToQt(*date));
  return true;
}

bool MessagePad::Deliver() {
  deliveryFailed_ = !PostMessage(program_, Values());
  if (!deliveryFailed_ && forward_) forwardDelivered_ = true;
  return !deliveryFailed_;
}

MessagePad::Next MessagePad::OkAction() {
  if (!DateIsValid()) return Next::kStay;
  const int person = Selected();
  if (person >= 0 && alertShownFor_ != person) {
    alertShownFor_ = -1;
    ShowAlertToTaker(person);
  }
  if (Deliver() && forward_) return Next::kUnload;
  if (program_.settings.deliver == Deliver::kMinimized) showMinimized();
  return Next::kStay;
}

void MessagePad::Command2_Click() {
  if (OkAction() == Next::kUnload) Unload();
}

void MessagePad::Command1_Click() {
  ClearPad();
  if (forward_) {
    Unload();
  } else if (program_.settings.deliver == Deliver::kMinimized) {
    showMinimized();
  }
}

bool MessagePad::OfferDelivery() {
  deliveryFailed_ = false;
  if (!DateIsValid()) return false;
  if (HoldsTypedMessage(FromQt(Caller_->text()), FromQt(message_->toPlainText()),
                        FromQt(phone_->text())) &&
      AskYesNo(program_, "Telvo", "Do you want to deliver this message") == kAnswerYes) {
    return Deliver();
  }
  ClearPad();
  return true;
}

MessagePad::Next MessagePad::CloseAction() {
  if (!OfferDelivery()) {
    // A View button asked for the call list; the pad stays in charge.
    if (s_.activeWindow == kCallList) s_.activeWindow = kMessagePad;
    return Next::kStay;
  }
  if (!forward_ && s_.activeWindow != kCallList) s_.keepRunning = false;
  return Next::kUnload;
}

void MessagePad::Command3_Click() {
  if (CloseAction() == Next::kUnload) Unload();
}

void MessagePad::Command4_Click(int index) {
  message_->setPlainText(ToQt(WithCannedPhrase(FromQt(message_->toPlainText()), index)));
}

void MessagePad::Command5_Click(int index) {
  const Workgroup& people = program_.workgroup;
  const int person = index == 0 ? Selected() : people.myIndex();
  if (!people.Has(person)) return;
  if (index == 0) program_.settings.defaultRecipient = people.NameOf(person);
  // A probe only: a locked or missing log is reported, and the call list
  // will say so again; a log that may not be read keeps the pad.
  const StoreError probe =
      program_.store->ReadPage({people.at(person)}, {}, PageDirection::kOlder, 0).error;
  if (!probe.ok()) ShowStop(program_, people.NameOf(person), LogFailureText(probe));
  if (probe.kind == StoreError::Kind::kUnreadable) return;
  s_.activeWindow = kCallList;
  if (CloseAction() != Next::kUnload) return;
  s_.viewed = {person, people.at(person).log, people.NameOf(person)};
  Unload();
}

void MessagePad::Command6_Click() {
  if (HoldsTypedMessage(FromQt(Caller_->text()), FromQt(message_->toPlainText()),
                        FromQt(phone_->text())) &&
      !OfferDelivery()) {
    return;
  }
  ShowOptionsDialog(program_, this);
  AfterWindowClosedOver();
  ReadIniFile(program_);
  Unload();
}

void MessagePad::Command7_Click() {
  const int person = Selected();
  if (person < 0) return;
  const AlertRead alert = alerts_.read(program_, person);
  if (!alert.error.ok()) return;
  ShowAlert(person, AlertUse::kEdit, alert.text);
}

void MessagePad::Command8_Click() { ShowHelp(this); }

}  // namespace telvo
