#pragma once
// A Program over a temporary folder: a real file system below a fault
// injector and a fake clock, scripted message boxes, and a workgroup of
// people whose folders lie in the temporary folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/program.h"
#include "store/folder_store.h"
#include "support/test_env.h"

namespace telvo::test {

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();

  // Sets the workgroup's people directly, keeping who the user and the
  // default recipient are: each person's folder is <temp>/<name in lower
  // case>, created on disk, their computer "<NAME>PC".
  void SetPeople(const std::vector<std::string>& names);
  // Makes the person at `index` the user (-1: nobody).
  void SetUserIndex(int index);
  // No workstation to notify: deliveries send no datagrams.
  void ClearComputers();
  // Writes the people set by SetPeople as a workgroup list in the temporary
  // folder and names it in the settings, so a window can load it.
  void WriteWorkgroupList();
  // The native path of a person's phone log.
  std::string LogFile(int person) const;
  std::string Log(int person) const { return ReadWholeFile(LogFile(person)); }

  TempDir temp;
  PosixEnv posix;
  FaultInjectionEnv faults{&posix};
  FakeClockEnv env{&faults};
  ScriptedMessageBoxes boxes;
  Program program{env, boxes};
  FolderStore store{env};
  ProgramState& state = program.state;
  Settings& settings = program.settings;
  Workgroup& workgroup = program.workgroup;
};

}  // namespace telvo::test
