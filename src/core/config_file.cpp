#include "core/config_file.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/number_text.h"
#include "core/text.h"

namespace telvo {
namespace {

constexpr int kEndedByUser = 0;
constexpr int kEndedByFailure = 1;

// Failures that mean "not there": the settings are then unusable, which the
// user may mend through the options dialog. Anything else ends the program.
bool IsMissingFileCode(int code) {
  return code == kBadFileName || code == kFileNotFound || code == kPathNotFound ||
         code == kDeviceUnavailable;
}

void ResetForReading(Settings& s) {
  s.workgroupPath.clear();
  s.initials.clear();
  s.name.clear();
  s.defaultRecipient.clear();
  s.padColor = kDefaultPadColor;
  s.popupProgram.clear();
  // The splash, notification and delivery choices keep their last values.
}

// Every key found anywhere in the upper-cased line takes the line's value,
// in this order, so one line may set several settings.
void ApplyLine(Settings& s, std::string_view line) {
  const std::string upper = UpperCase(line);
  const size_t equals = line.find('=');
  const std::string value(
      TrimBlanks(equals == std::string_view::npos ? line : line.substr(equals + 1)));
  auto has = [&](const char* key) { return upper.find(key) != std::string::npos; };
  if (has("WORKGROUP")) s.workgroupPath = UpperCase(value);
  if (has("INITIALS")) s.initials = value;
  if (has("NAME")) s.name = value;
  if (has("DEFAULT RECIPIENT")) s.defaultRecipient = value;
  if (has("BACKCOLOR")) s.padColor = RoundToInt32(LeadingNumber(value));
  if (has("POPUP")) s.popupProgram = value;
  if (has("SPLASH")) s.splash = ParseChoice<Splash>(value);
  if (has("USEPOP")) s.notification = ParseChoice<Notification>(value);
  if (has("DELIVER")) s.deliver = ParseChoice<Deliver>(value);
}

// Every box of the reading goes under this caption.
constexpr const char* kCaption = "Telvo ";

[[noreturn]] void EndWithFailureBox(Program& program, const Status& failure) {
  ShowStop(program, kCaption, failure.description() + std::to_string(failure.code()));
  program.env.EndProgram(kEndedByFailure);
  std::abort();  // not reached: every Env ends the program
}

// The complaint of the last check that failed, "" for usable settings.
// Ends the program on an unexpected failure.
std::string CheckSettings(Program& program) {
  const Settings& settings = program.settings;
  std::string complaint;
  if (settings.workgroupPath.empty()) {
    // An empty name names no file: there is nothing to open, and the
    // complaint keeps saying what is wrong.
    complaint = "No workgroup selected";
  } else {
    std::unique_ptr<File> list;
    const Status opened = program.env.OpenFile(settings.workgroupPath, FileAccess::kRead, &list);
    list.reset();
    if (!opened.ok()) {
      if (!IsMissingFileCode(opened.code())) EndWithFailureBox(program, opened);
      complaint = "Cannot access workgroup file " + settings.workgroupPath;
    }
  }
  if (settings.initials.empty()) complaint = "Reference initials missing";
  return complaint;
}

// One pass over the file: the settings, then their checks; the complaint
// about them, or "".
std::string ReadOnce(Program& program) {
  ResetForReading(program.settings);
  std::string bytes;
  const Status read = ReadTextFile(program.env, ConfigFilePath(program), &bytes);
  if (!read.ok()) {
    if (!IsMissingFileCode(read.code())) EndWithFailureBox(program, read);
    return "Cannot find TELVO.INI in " + UpperCase(WindowsDir(program));
  }
  Settings& settings = program.settings;
  for (std::string_view line : SplitLines(bytes)) ApplyLine(settings, line);
  // After the whole file, not after each line: a line that merely contains
  // NAME must not leave its value as the default recipient.
  if (settings.defaultRecipient.empty()) settings.defaultRecipient = settings.name;
  return CheckSettings(program);
}

std::string IniFileText(const IniChoices& c) {
  const std::string popup = UpperCase(c.popupPath);
  const std::string lines[] = {
      "WorkGroup=" + UpperCase(c.workgroupPath),
      "Initials=" + c.initials,
      "Name=" + c.name,
      "Default Recipient=" + c.defaultRecipient,
      // A number of 0 or more is written with a leading blank.
      "BackColor=" + std::string(c.backColor >= 0 ? " " : "") + std::to_string(c.backColor),
      "PopUp=" + popup,
      "Deliver=" + ChoiceText(c.deliver),
      "Splash=" + ChoiceText(c.splash),
      "Usepop=" + ChoiceText(c.notification),
      "PopUp=" + popup,
  };
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

Status WriteAndSync(Env& env, const std::string& path, const std::string& bytes) {
  std::unique_ptr<File> file;
  Status s = env.OpenFile(path, FileAccess::kRewrite, &file);
  if (s.ok()) s = file->WriteAt(0, bytes);
  if (s.ok()) s = file->Sync();
  return s;
}

}  // namespace

std::string ConfigFilePath(Program& program) {
  return UpperCase(WindowsDir(program)) + "TELVO.INI";
}

Status PeekIniFile(Program& program) {
  ResetForReading(program.settings);
  std::string bytes;
  const Status read = ReadTextFile(program.env, ConfigFilePath(program), &bytes);
  for (std::string_view line : SplitLines(bytes)) ApplyLine(program.settings, line);
  return read;
}

void ReadIniFile(Program& program) {
  for (;;) {
    const std::string complaint = ReadOnce(program);
    if (complaint.empty()) return;
    if (AskYesNo(program, kCaption, complaint + " Do you want to configure options?") ==
        kAnswerYes) {
      if (program.hooks.ShowSplash) program.hooks.ShowSplash();
      program.settings.popupProgram = program.env.ProgramFolder() + "telvo-popup";
      if (program.hooks.ShowOptions) program.hooks.ShowOptions();
      continue;
    }
    ShowStop(program, kCaption, "Ending  Telvo");
    program.env.EndProgram(kEndedByUser);
  }
}

void WriteIniFile(Program& program, const IniChoices& choices) {
  const std::string path = ConfigFilePath(program);
  const std::string fresh = path + ".NEW";
  Status s = WriteAndSync(program.env, fresh, IniFileText(choices));
  if (s.ok()) s = program.env.ReplaceFile(fresh, path);
  if (s.ok()) s = program.env.SyncFolderOf(path);
  if (s.ok()) return;

  // Tidying only: the failure below is what matters, and the file is gone
  // already when the rename took place.
  static_cast<void>(program.env.DeleteFile(fresh));
  FatalFileError(program, "Error in writing ini file", s.code());
}

}  // namespace telvo
