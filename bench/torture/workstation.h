#pragma once
// One workstation of the torture run: the program as a person runs it, with
// the real files and clock and scripted message boxes, seeing one person's
// phone log. Every worker process makes its own, as every workstation has
// its own Telvo.

#include <string>

#include "core/message_boxes.h"
#include "core/program.h"
#include "numbered_calls.h"
#include "platform/posix_env.h"
#include "store/folder_store.h"

namespace telvo::torture {

struct Workstation {
  // `logPath` is the program's path of the log: "<folder>\MESSAGES".
  explicit Workstation(const std::string& logPath) : program(env, boxes), store(env) {
    program.store = &store;
    ProgramState& s = program.state;
    Person ann;  // with no workstation to notify
    ann.name = "Ann";
    ann.log = logPath;
    program.workgroup.Replace({ann}, 0, -1);
    program.settings.name = "Torture";
    program.settings.initials = kInitials;
    s.viewed.book = FolderBook("Ann", logPath);
  }

  // The text of every box shown since the last call, "|" between them.
  std::string BoxTexts() const {
    std::string texts;
    for (const MessageBox& box : boxes.shown()) {
      if (!texts.empty()) texts += " | ";
      for (char c : box.text) texts += c == '\r' || c == '\n' ? ' ' : c;
    }
    return texts;
  }

  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program;
  FolderStore store;
};

}  // namespace telvo::torture
