// The pad's handlers: what its list, its text boxes and its buttons do.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/config_file.h"
#include "core/pad_rules.h"
#include "service/delivery.h"
#include "store/phone_store.h"
#include "ui/common/qt_text.h"
#include "ui/help/help_window.h"
#include "ui/options/options_dialog.h"
#include "ui/pad/message_pad.h"

namespace telvo {

void MessagePad::ClearPad() {
  urgentCheck_->setChecked(false);
  callerEdit_->clear();
  phoneEdit_->clear();
  messageEdit_->clear();
  callerEdit_->setFocus();
  alertShownFor_ = -1;
  meantFor_.clear();
  alsoTo_ = -1;
}

void MessagePad::StampDateTime() {
  const StampTexts stamp = StampFor(program_.env.Now());
  dateEdit_->setText(ToQt(stamp.date));
  timeEdit_->setText(ToQt(stamp.time));
}

void MessagePad::onCallerChanged() {
  const bool usable = CallerAllowsDelivery(FromQt(callerEdit_->text()));
  deliverButton_->setEnabled(usable);
  if (usable) StampDateTime();
  dateEdit_->setEnabled(usable);
  timeEdit_->setEnabled(usable);
}

int MessagePad::Selected() const { return peopleList_->currentRow(); }

PadValues MessagePad::Values() const {
  PadValues pad;
  pad.selectedIndex = Selected();
  pad.caller = FromQt(callerEdit_->text());
  pad.date = FromQt(dateEdit_->text());
  pad.time = FromQt(timeEdit_->text());
  pad.phone = FromQt(phoneEdit_->text());
  pad.message = StoredMessage(FromQt(messageEdit_->toPlainText()));
  pad.urgent = urgentCheck_->isChecked();
  pad.forwarded = forwarded_;
  pad.meantFor = meantFor_;
  pad.alsoTo = alsoTo_;
  return pad;
}

void MessagePad::onActivated() {
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
  const int defaultIndex = forwardTo_ >= 0 ? forwardTo_ : program_.workgroup.defaultIndex();
  const int row = defaultIndex < peopleList_->count() ? defaultIndex : -1;
  {
    const QSignalBlocker quiet(peopleList_);
    peopleList_->setCurrentRow(row);
  }
  if (row >= 0) onPersonChosen();
  skipAlertOnce_ = false;
}

void MessagePad::onPersonChosen() {
  const int person = Selected();
  meantFor_.clear();
  alsoTo_ = -1;
  if (!forward_) viewSelectedLogButton_->setEnabled(true);
  deliverButton_->setText(ToQt(DeliverCaption(program_.workgroup.NameOf(person))));
  callerEdit_->setFocus();
  if (skipAlertOnce_) {
    skipAlertOnce_ = false;
    return;
  }
  alertShownFor_ = person;
  ShowAlertToTaker(person);
}

void MessagePad::ShowAlertToTaker(int person, bool offerStandIn) {
  const AlertRead alert = alerts_.read(program_, person);
  const AlertNote note = ReadAlertNote(alert.text);
  // An alert whose Back moment has passed is over, though its file may
  // wait for its owner's program to remove it.
  if (!alert.exists || HasEnded(note, program_.env.Now())) return;
  // A stand-in who has left the list, or who is the person, is offered to
  // nobody.
  const int standIn = offerStandIn ? program_.workgroup.FindIgnoringCase(note.callsTo, person) : -1;
  const AlertChoice choice =
      ShowAlert(person, AlertUse::kShowToTaker, alert.text, program_.workgroup.NameOf(standIn));
  if (standIn >= 0 && choice != AlertChoice::kNone) TakeChoice(choice, person, standIn);
}

void MessagePad::TakeChoice(AlertChoice choice, int person, int standIn) {
  if (choice == AlertChoice::kBoth) {
    alsoTo_ = standIn;
    return;
  }
  SelectQuietly(standIn);
  meantFor_ = program_.workgroup.NameOf(person);
  // The stand-in's own alert, once: a chain of stand-ins is never followed.
  alertShownFor_ = standIn;
  ShowAlertToTaker(standIn, /*offerStandIn=*/false);
}

void MessagePad::SelectQuietly(int row) {
  skipAlertOnce_ = true;
  {
    const QSignalBlocker quiet(peopleList_);
    peopleList_->setCurrentRow(row);
  }
  onPersonChosen();
  skipAlertOnce_ = false;
}

// The View button's way to the call list, and only while that button could
// be pressed: not in a forward, and never for no one.
void MessagePad::onPersonDoubleClicked() {
  if (viewSelectedLogButton_->isEnabled() && Selected() >= 0) onViewLogClicked(WhoseLog::kSelected);
}

AlertChoice MessagePad::ShowAlert(int person, AlertUse use, const std::string& text,
                                  const std::string& standIn) {
  // The alert window is in charge while it is open; when it closes, the
  // pad's activation finds it so and keeps the selection and the fields.
  s_.activeWindow = kAlertWindow;
  const AlertChoice choice = alerts_.show(program_, person, use, text, standIn, this);
  AfterWindowClosedOver();
  return choice;
}

void MessagePad::AfterWindowClosedOver() {
  if (isVisible()) onActivated();
}

bool MessagePad::DateIsValid() {
  const std::optional<std::string> date = PadDate(FromQt(dateEdit_->text()));
  if (!date) {
    ShowStop(program_, "Telvo ", "Invalid Date");
    return false;
  }
  dateEdit_->setText(ToQt(*date));
  return true;
}

bool MessagePad::Deliver() {
  int missed = -1;
  deliveryFailed_ = !PostMessage(program_, Values(), &missed);
  // One of two got the call: the pad keeps it for the other alone.
  if (missed >= 0) {
    const std::string meantFor = missed == alsoTo_ ? program_.workgroup.NameOf(Selected()) : "";
    SelectQuietly(missed);
    meantFor_ = meantFor;
  }
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

void MessagePad::onDeliverClicked() {
  if (OkAction() == Next::kUnload) Unload();
}

void MessagePad::onClearClicked() {
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
  if (HoldsTypedMessage(FromQt(callerEdit_->text()), FromQt(messageEdit_->toPlainText()),
                        FromQt(phoneEdit_->text())) &&
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

void MessagePad::onCloseClicked() {
  if (CloseAction() == Next::kUnload) Unload();
}

void MessagePad::onPhraseClicked(int index) {
  messageEdit_->setPlainText(ToQt(WithCannedPhrase(FromQt(messageEdit_->toPlainText()), index)));
}

void MessagePad::onViewLogClicked(WhoseLog whose) {
  const Workgroup& people = program_.workgroup;
  const bool selected = whose == WhoseLog::kSelected;
  const int person = selected ? Selected() : people.myIndex();
  if (!people.Has(person)) return;
  if (selected) program_.settings.defaultRecipient = people.NameOf(person);
  // A probe only: a locked or missing log is reported, and the call list
  // will say so again; a log that may not be read keeps the pad.
  const StoreError probe =
      program_.store->ReadPage({people.at(person)}, {}, PageDirection::kOlder, 0).error;
  if (!probe.ok()) ShowStop(program_, people.NameOf(person), LogFailureText(probe));
  if (probe.kind == StoreError::Kind::kUnreadable) return;
  s_.activeWindow = kCallList;
  if (CloseAction() != Next::kUnload) return;
  s_.viewed = {person, {people.at(person)}};
  Unload();
}

void MessagePad::onOptionsClicked() {
  if (HoldsTypedMessage(FromQt(callerEdit_->text()), FromQt(messageEdit_->toPlainText()),
                        FromQt(phoneEdit_->text())) &&
      !OfferDelivery()) {
    return;
  }
  ShowOptionsDialog(program_, this);
  AfterWindowClosedOver();
  ReadIniFile(program_);
  Unload();
}

void MessagePad::onAlertClicked() {
  const int person = Selected();
  if (person < 0) return;
  const AlertRead alert = alerts_.read(program_, person);
  if (!alert.error.ok()) return;
  ShowAlert(person, AlertUse::kEdit, alert.text);
}

void MessagePad::onHelpClicked() { ShowHelp(this); }

}  // namespace telvo
