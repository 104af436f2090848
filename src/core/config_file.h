#pragma once
// The configuration file TELVO.INI in the configuration folder: its reader,
// which returns only with usable settings, and its one writer, the options
// dialog.

#include <cstdint>
#include <string>

#include "core/program.h"

namespace telvo {

// What the options dialog passes to the writer: its controls' state.
struct IniChoices {
  std::string workgroupPath;  // written upper-cased
  std::string initials;
  std::string name;
  std::string defaultRecipient;
  int32_t backColor = kDefaultPadColor;
  std::string popupPath;  // written upper-cased
  // A choice the file spelled otherwise, which the dialog's control still
  // shows as it showed it, is written back as the file spelled it.
  Choice<Deliver> deliver = Deliver::kNotMinimized;
  Choice<Splash> splash = Splash::kShown;
  Choice<Notification> notification = Notification::kInternal;
};

// The configuration folder in upper case followed by "TELVO.INI"; the
// platform layer finds the file on disk whatever its case.
std::string ConfigFilePath(Program& program);

// Fills the configuration values. Returns only when the settings are usable;
// otherwise asks whether to configure, runs the ShowSplash and ShowOptions
// hooks and reads again, or ends the program.
void ReadIniFile(Program& program);

// The settings as the file holds them, unchecked, with no box and no
// question: for telvo-popup, which only follows them. The failure to read.
Status PeekIniFile(Program& program);

// Replaces the configuration file with the ten lines for `choices`. The new
// file is written beside the old one and renamed over it, so a failure leaves
// the old file whole; the failure then ends the program through
// FatalFileError.
void WriteIniFile(Program& program, const IniChoices& choices);

}  // namespace telvo
