// Renders the program's windows, offscreen, into PNG files for the README:
// the message pad, the options dialog, an alert, the splash screen, the
// help window and the About box, over a sample workgroup in a throwaway
// folder.
//
//   telvo_screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "app/screenshot_workgroup.h"
#include "core/config_file.h"
#include "platform/posix_env.h"
#include "service/alert_file.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "ui/about/about_box.h"
#include "ui/alert/alert_window.h"
#include "ui/calllist/call_list_window.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/help/help_window.h"
#include "ui/options/options_dialog.h"
#include "ui/pad/message_pad.h"
#include "ui/popup/popup_window.h"
#include "ui/print/print_job.h"
#include "ui/splash/splash_screen.h"

namespace telvo {
namespace {

// Nothing here should ask anything: a box means the sample is wrong, and a
// real one would wait offscreen for ever. It is told and counted instead.
class ReportingBoxes : public MessageBoxes {
 public:
  int Show(const MessageBox& box) override {
    std::cerr << "telvo_screenshots: box \"" << box.caption << "\": " << box.text << "\n";
    ++shown_;
    return box.defaultAnswer;
  }
  int shown() const { return shown_; }

 private:
  int shown_ = 0;
};

bool Save(QWidget* window, const QString& folder, const char* name) {
  window->show();
  QApplication::processEvents();
  const QString path = QDir(folder).filePath(QString::fromLatin1(name));
  if (window->grab().save(path)) return true;
  std::cerr << "telvo_screenshots: cannot write " << path.toStdString() << "\n";
  return false;
}

void Fill(QLineEdit* box, const QString& text) { box->setText(text); }
void Fill(QPlainTextEdit* box, const QString& text) { box->setPlainText(text); }

// Types into a control of `window`, if it is there: a renamed control leaves
// the picture emptier, not the renderer broken.
template <typename Control>
void Type(QWidget* window, const char* name, const QString& text) {
  if (auto* control = window->findChild<Control*>(QString::fromLatin1(name)))
    Fill(control, text);
  else
    std::cerr << "telvo_screenshots: no control " << name << "\n";
}

void Configure(Program& program, const SampleWorkgroup& sample) {
  program.hooks.ShowSplash = [] {};
  program.hooks.ShowOptions = [] {};
  program.hooks.StartPoller = [] {};
  program.hooks.StopPoller = [] {};
  program.hooks.ClearPad = [] {};
  IniChoices choices;
  choices.workgroupPath = sample.listPath;
  choices.name = kSampleName;
  choices.initials = kSampleInitials;
  choices.defaultRecipient = kSampleDefaultRecipient;
  choices.notification = Notification::kInternal;
  WriteIniFile(program, choices);
  ReadIniFile(program);
}

// The splash halfway through its animation: the message on its way along
// the line.
bool RenderSplash(const QString& folder) {
  SplashScreen splash;
  splash.AnimationTimer()->stop();
  while (splash.SplashStep() < SplashScreen::kSendTilde) splash.onAnimationTick();
  splash.onAnimationTick();
  splash.onAnimationTick();
  splash.onAnimationTick();
  return Save(&splash, folder, "splash.png");
}

bool RenderHelp(const QString& folder) {
  ShowHelp(nullptr);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == QStringLiteral("helpWindow") && window->isVisible())
      return Save(window, folder, "help.png");
  std::cerr << "telvo_screenshots: the help window did not open\n";
  return false;
}

// A call being taken: the pad stamps the date and time as the caller is
// typed. Alerts are not shown over it.
bool RenderPad(Program& program, const QString& folder) {
  PadAlerts alerts;
  alerts.show = [](Program&, int, AlertUse, const std::string&, const std::string&, QWidget*) {
    return AlertChoice::kNone;
  };
  auto* pad = new MessagePad(program, nullptr, alerts);
  pad->show();
  QApplication::processEvents();
  Type<QLineEdit>(pad, "callerEdit", QStringLiteral("Carol White"));
  Type<QLineEdit>(pad, "phoneEdit", QStringLiteral("555-0142"));
  Type<QPlainTextEdit>(pad, "messageEdit",
                       QStringLiteral("About Thursday's meeting. Please call."));
  const bool saved = Save(pad, folder, "pad.png");
  pad->hide();
  return saved;
}

bool RenderOptions(Program& program, const QString& folder) {
  OptionsDialog options(program);
  const bool saved = Save(&options, folder, "options.png");
  options.hide();
  return saved;
}

// The alert as the message taker sees it on picking its author, with the
// choice of the stand-in it names; and as its author edits it.
bool RenderAlert(Program& program, const SampleWorkgroup& sample, const QString& folder) {
  const std::string text = ReadAlert(program, sample.alertPerson).text;
  AlertWindow alert(program, sample.alertPerson, AlertUse::kShowToTaker, text, nullptr,
                    ReadAlertNote(text).callsTo);
  bool saved = Save(&alert, folder, "alert.png");
  alert.hide();
  AlertWindow editor(program, sample.alertPerson, AlertUse::kEdit, text);
  saved = Save(&editor, folder, "alert-editor.png") && saved;
  editor.hide();
  return saved;
}

// Calls as the pad writes them, appended to the log at `path`.
bool AppendCalls(Env& env, const std::string& path, const std::vector<std::string>& bodies) {
  std::unique_ptr<File> log;
  int64_t length = 0;
  Status status = env.OpenFile(path, FileAccess::kUpdate, &log);
  if (status.ok()) status = log->Length(&length);
  for (const std::string& body : bodies) {
    if (status.ok()) status = AppendDurably(*log, length, FrameRecord(body));
    length += static_cast<int64_t>(body.size()) + 4;
  }
  if (!status.ok()) std::cerr << "telvo_screenshots: " << status.ToString() << "\n";
  return status.ok();
}

std::string Call(char mark, const std::string& date, const std::string& caller,
                 const std::string& time, const std::string& phone, const std::string& message) {
  std::string body(1, mark);
  for (const std::string* field : {&date, &caller, &time, &phone, &message})
    body.append(*field).push_back(FIELD_END);
  return body;
}

bool RenderCallListOf(Program& program, bool archive, const QString& folder, const char* name) {
  program.state.viewed.book.archive = archive;
  CallListWindow list(program);
  list.show();
  QApplication::processEvents();
  const bool saved = Save(&list, folder, name);
  list.hide();
  return saved;
}

// The user's own calls in every mark, and the archive beside them.
bool RenderCallList(Program& program, const QString& folder) {
  ProgramState& s = program.state;
  const Person me = program.workgroup.at(program.workgroup.myIndex());
  s.viewed = {program.workgroup.myIndex(), {me}};
  const bool written =
      AppendCalls(program.env, me.archive,
                  {Call(MARK_ARCHIVE, "11-28-2026", "Northwind Traders", " 3:40 PM", "555-0170",
                        "Invoice 1187 is paid. (AS)"),
                   Call(MARK_ARCHIVE, "12-01-2026", "Eve Black", "10:05 AM", "555-0123",
                        "Moved the review to Friday. (BB)")}) &&
      AppendCalls(program.env, me.log,
                  {Call(MARK_DELETE, "12-03-2026", "Dan Green", " 9:12 AM", "555-0199",
                        "Called about the order; sorted out. (AS)"),
                   Call(MARK_ARCHIVE, "12-04-2026", "Contoso Ltd", " 2:30 PM", "555-0188",
                        "Contract signed, copy in the post. (BB)"),
                   Call(MARK_NEW, "12-05-2026", "Carol White", "11:20 AM", "555-0142",
                        "About Thursday's meeting. Please call. (AS)"),
                   Call(MARK_IMPORTANT, "12-06-2026", "Frank Lee", " 8:55 AM", "555-0101",
                        "The server room is too warm. Please call back at once. (BB)")});
  return written && RenderCallListOf(program, false, folder, "calllist.png") &&
         RenderCallListOf(program, true, folder, "calllist-archive.png");
}

// The print range dialog as it opens, then the job it starts with every
// date, into a PDF whose first page scripts/screenshots makes a picture of.
bool RenderPrint(Program& program, const QString& folder) {
  ProgramState& s = program.state;
  s.viewed.book = {program.workgroup.at(program.workgroup.myIndex())};
  auto saved = std::make_shared<bool>(false);
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [saved, folder, weak = std::weak_ptr(poll)](int left) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->objectName() == QStringLiteral("printRangeDialog")) {
      *saved = Save(modal, folder, "print.png");
      modal->findChild<QCheckBox*>(QStringLiteral("printAllCheck"))->setChecked(true);
      modal->findChild<QPushButton*>(QStringLiteral("printButton"))->click();
    } else if (left > 0) {
      QTimer::singleShot(10, [weak, left] {
        if (auto next = weak.lock()) (*next)(left - 1);
      });
    }
  };
  QTimer::singleShot(0, [weak = std::weak_ptr(poll)] {
    if (auto first = weak.lock()) (*first)(500);
  });
  RunPrintJobToFile(program, nullptr, folder + QStringLiteral("/printout.pdf"));
  if (!*saved) std::cerr << "telvo_screenshots: the print range dialog did not open\n";
  return *saved && QFile::exists(folder + QStringLiteral("/printout.pdf"));
}

// The About box is a real message box, so it is grabbed while it is open and
// then closed. The poll gives up after a few seconds rather than wait
// offscreen for ever, and its pending timers hold it only weakly, so none of
// them acts once this function has returned.
bool RenderAbout(Program& program, const QString& folder) {
  struct Grab {
    bool seen = false;
    bool saved = false;
  };
  auto grab = std::make_shared<Grab>();
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [grab, folder, weak = std::weak_ptr(poll)](int left) {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      grab->seen = true;
      grab->saved = Save(box, folder, "about.png");
      box->accept();
    } else if (left > 0) {
      QTimer::singleShot(10, [weak, left] {
        if (auto next = weak.lock()) (*next)(left - 1);
      });
    }
  };
  QTimer::singleShot(0, [weak = std::weak_ptr(poll)] {
    if (auto first = weak.lock()) (*first)(500);
  });
  QtMessageBoxes real;
  Program about(program.env, real);
  ShowAboutBox(about, nullptr);
  if (!grab->seen) std::cerr << "telvo_screenshots: the About box did not open\n";
  return grab->saved;
}

// telvo-popup's window after three notifications.
bool RenderPopup(const QString& folder) {
  PopupWindow popup;
  popup.AddMessages({{"Ann Smith", "BOBPC", "Carol White", "9:12 AM"},
                     {"Bob Brown", "BOBPC", "Acme Supplies, Dan Green", "10:47 AM"},
                     {"Ann Smith", "BOBPC", "Joe Caller", "11:03 AM"}});
  const bool saved = Save(&popup, folder, "popup.png");
  popup.hide();
  return saved;
}

int Run(const QString& folder) {
  SampleWorkgroup sample;
  if (!MakeSampleWorkgroup(&sample)) return 1;
  ::setenv("XDG_CONFIG_HOME", sample.configHome.c_str(), 1);

  PosixEnv env;
  ReportingBoxes boxes;
  Program program(env, boxes);
  FolderStore store(env);
  program.store = &store;
  Configure(program, sample);
  const bool saved = RenderSplash(folder) && RenderHelp(folder) && RenderPad(program, folder) &&
                     RenderOptions(program, folder) && RenderAlert(program, sample, folder) &&
                     RenderCallList(program, folder) && RenderPrint(program, folder) &&
                     RenderAbout(program, folder) && RenderPopup(folder);
  std::error_code ignored;
  std::filesystem::remove_all(sample.root, ignored);
  return saved && boxes.shown() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace telvo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: telvo_screenshots OUTPUT_FOLDER\n";
    return 2;
  }
  return telvo::Run(QString::fromLocal8Bit(argv[1]));
}
