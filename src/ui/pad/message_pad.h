#pragma once
// The message pad (Form1): the window where calls for colleagues are taken
// and delivered, and from which the call lists, the options dialog, the
// alerts and the help are reached.
//
// Controls carry their names as object names. The members of a button array
// carry their index in parentheses: "Command4(0)" to "Command4(2)" (the
// canned phrases) and "Command5(0)", "Command5(1)" (View Selected Log, View
// My Phone Log).
//
// A pad closes for good: it is loaded afresh each time it is shown, and
// deletes itself once closed.

#include <QWidget>

#include "core/pad_values.h"
#include "core/program.h"
#include "ui/pad/pad_alerts.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace telvo {

class MessagePad : public QWidget {
  Q_OBJECT

 public:
  // Loads the pad: people, date and time, fonts and layout. It takes over
  // the ClearPad hook until it unloads.
  MessagePad(Program& program, QWidget* parent = nullptr, PadAlerts alerts = {});
  ~MessagePad() override;

  // Fills the pad with a call to forward and puts it in forward mode: the
  // View buttons, Options and Close are off, and closing delivers.
  void PrepareForward(const PadValues& call);
  // Whether a forward was posted while the pad was open.
  bool ForwardDelivered() const { return forwardDelivered_; }

  // Empties the caller, phone and message and the Urgent box; the date and
  // time stay.
  void ClearPad();

 signals:
  // The pad has unloaded and hands over to the switch window, which decides
  // what comes next. Not emitted when a forward closes the pad.
  void Unloaded();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Whether a handler leaves the pad open or unloads it.
  enum class Next { kStay, kUnload };

  void CreateControls();
  void SetTabOrder();
  void Form_Load();
  void LayOut();
  void Form_Activate();
  void Form_Resize();
  void Form_Unload();
  void Unload();

  void StampDateTime();
  void Caller_Change();
  void List1_Click();
  void List1_DblClick();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click(int index);
  void Command5_Click(int index);
  void Command6_Click();
  void Command7_Click();
  void Command8_Click();

  Next OkAction();
  Next CloseAction();
  // Close's first steps: the date check and the offer to deliver. False
  // when the pad must stay.
  bool OfferDelivery();
  // Delivers what the pad holds; false after a refusal or a failure, whose
  // box has been shown.
  bool Deliver();
  bool DateIsValid();
  void SelectDefaultPerson();
  void ShowAlert(int person, AlertUse use, const std::string& text);
  // Shows the alert of `person`, if there is one, to whoever takes the call.
  void ShowAlertToTaker(int person);
  void AfterWindowClosedOver();
  int Selected() const;
  PadValues Values() const;

  Program& program_;
  ProgramState& s_;
  PadAlerts alerts_;
  // The person whose alert was shown when they were chosen, so delivering
  // to them does not show it again; -1 for none.
  int alertShownFor_ = -1;
  // Set while the pad selects the default person itself: that selection
  // shows no alert.
  bool skipAlertOnce_ = false;
  bool shownOnce_ = false;
  bool unloading_ = false;
  bool ownsClearPadHook_ = false;
  // A forward's pad: modal over the call list, which it does not hand over
  // to when it closes.
  bool forward_ = false;
  bool forwardDelivered_ = false;
  // The last delivery the pad tried was refused or failed: its close box
  // then leaves it open with the call, whatever the handler said.
  bool deliveryFailed_ = false;

  QListWidget* List1_ = nullptr;
  QLineEdit* Caller_ = nullptr;
  QPlainTextEdit* message_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QLineEdit* Date_ = nullptr;
  QLineEdit* Time_ = nullptr;
  QCheckBox* Check1_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* Command2_ = nullptr;
  QPushButton* Command3_ = nullptr;
  QPushButton* Command4_[3] = {};
  QPushButton* Command5_[2] = {};
  QPushButton* Command6_ = nullptr;
  QPushButton* Command7_ = nullptr;
  QPushButton* Command8_ = nullptr;
};

// Shows the pad modally over `parent`, filled with `call`, for a forward;
// returns whether the call was delivered to someone.
bool ShowPadForForward(Program& program, const PadValues& call, QWidget* parent);

}  // namespace telvo
