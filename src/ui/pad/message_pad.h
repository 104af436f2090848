#pragma once
// The message pad: the window where calls for colleagues are taken
// and delivered, and from which the call lists, the options dialog, the
// alerts and the help are reached.
//
// Controls carry their member's name, without the underscore, as their
// object name ("deliverButton", "callerEdit"), which is how tests find them.
//
// A pad closes for good: it is loaded afresh each time it is shown, and
// deletes itself once closed.

#include <QWidget>
#include <optional>

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
  void Load();
  void LayOut();
  void onActivated();
  void onResized();
  void onUnloaded();
  void Unload();

  void StampDateTime();
  void onCallerChanged();
  void onPersonChosen();
  void onPersonDoubleClicked();
  void onClearClicked();
  void onDeliverClicked();
  void onCloseClicked();
  void onPhraseClicked(int index);
  // The call list of the person selected, or the user's own.
  enum class WhoseLog { kSelected, kMine };
  void onViewLogClicked(WhoseLog whose);
  void onOptionsClicked();
  void onAlertClicked();
  void onHelpClicked();

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
  AlertChoice ShowAlert(int person, AlertUse use, const std::string& text,
                        const std::string& standIn = "");
  // Shows the alert of `person`, if there is one, to whoever takes the call,
  // and with `offerStandIn` the choice to deliver to the stand-in it names.
  void ShowAlertToTaker(int person, bool offerStandIn = true);
  // The taker chose to deliver to `standIn` instead of `person`, or too.
  void TakeChoice(AlertChoice choice, int person, int standIn);
  // Selects `row` as the user would, without the alert it would show.
  void SelectQuietly(int row);
  void AfterWindowClosedOver();
  int Selected() const;
  PadValues Values() const;

  Program& program_;
  ProgramState& s_;
  PadAlerts alerts_;
  // The person whose alert was shown when they were chosen, so delivering
  // to them does not show it again; -1 for none.
  int alertShownFor_ = -1;
  // The stand-in choices taken in the alert window: the person the call
  // was meant for when it goes to the stand-in instead, and the stand-in
  // who gets it too (-1 for none). A person chosen afterwards drops them.
  std::string meantFor_;
  int alsoTo_ = -1;
  // Where a forward's pad starts: the user's stand-in, or -1 for the
  // default recipient.
  int forwardTo_ = -1;
  // Set while the pad selects the default person itself: that selection
  // shows no alert.
  bool skipAlertOnce_ = false;
  bool shownOnce_ = false;
  bool unloading_ = false;
  bool ownsClearPadHook_ = false;
  // A forward's pad: modal over the call list, which it does not hand over
  // to when it closes.
  bool forward_ = false;
  std::optional<ForwardedCall> forwarded_;  // what a forward's pad was filled from
  bool forwardDelivered_ = false;
  // The last delivery the pad tried was refused or failed: its close box
  // then leaves it open with the call, whatever the handler said.
  bool deliveryFailed_ = false;

  QListWidget* peopleList_ = nullptr;
  QLineEdit* callerEdit_ = nullptr;
  QPlainTextEdit* messageEdit_ = nullptr;
  QLineEdit* phoneEdit_ = nullptr;
  QLineEdit* dateEdit_ = nullptr;
  QLineEdit* timeEdit_ = nullptr;
  QCheckBox* urgentCheck_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QPushButton* deliverButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QPushButton* phraseButtons_[3] = {};
  QPushButton* viewSelectedLogButton_ = nullptr;
  QPushButton* viewMyLogButton_ = nullptr;
  QPushButton* optionsButton_ = nullptr;
  QPushButton* alertButton_ = nullptr;
  QPushButton* helpButton_ = nullptr;
};

// Shows the pad modally over `parent`, filled with `call`, for a forward;
// returns whether the call was delivered to someone.
bool ShowPadForForward(Program& program, const PadValues& call, QWidget* parent);

}  // namespace telvo
