#pragma once
// The end of the torture run: once every worker is gone, one last purge
// settles the log, and the log, the archive and the export file are read
// back as they are on the disk.

#include <cstdint>
#include <string>
#include <vector>

namespace telvo::torture {

// The call the last purge archives. Its number lies below every poster's,
// so the workers never touch it.
inline constexpr int64_t kLastArchivedCall = 1;

struct FileRecord {
  int64_t start = 0;
  std::string body;
};

struct FinalState {
  std::vector<FileRecord> log, archive;  // in file order
  int64_t logBytes = 0, archiveBytes = 0;
  std::string exportText;  // EXPORT.TXT, whole
  std::vector<std::string> faults;
  // False on a share that refuses every post: the last call was not
  // delivered, so nothing was marked or purged after it.
  bool lastCallPosted = true;
};

// Posts kLastArchivedCall, marks it archive and purges, as a person would
// after the others went home: the purge then archives at least one call,
// which is when it cuts off what a killed purge left at the archive's end.
// Then reads the three files; damage found by the walk, the two walks
// (forwards in blocks, backwards call by call) disagreeing, a work file
// left behind, and any box shown are faults.
FinalState SettleAndRead(const std::string& logPath);

}  // namespace telvo::torture
