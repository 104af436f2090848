#pragma once
// What the fuzz targets share: a Program over files in memory, a way to
// report a broken property so that libFuzzer keeps the input, and a record
// walk written apart from the store's, to judge the store's walks by.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"
#include "memory_env.h"
#include "store/folder_store.h"

namespace telvo::fuzz {

// A Program whose files live in memory and whose boxes are scripted; every
// box gets its default answer unless the target scripts another.
struct FuzzProgram {
  FuzzProgram() { program.store = &store; }
  MemoryEnv env;
  ScriptedMessageBoxes boxes;
  Program program{env, boxes};
  FolderStore store{env};
};

// Stops the run with `what` on standard error when a property is broken;
// libFuzzer then keeps the input that broke it.
void Require(bool holds, const char* what);

// The input as a byte string.
inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The body length of a record whose two lengths can be trusted at `at`
// (1 to 32767, the body inside the file, the copies equal), or 0.
size_t TrustedBodyLength(std::string_view file, size_t at);

struct WalkedCall {
  int64_t start = 0;
  std::string_view body;
};

// The calls from the front of the file, in order, until the lengths stop
// being trustworthy at `stoppedAt` (the file's length when they never do).
struct FrontWalk {
  std::vector<WalkedCall> calls;
  int64_t stoppedAt = 0;
  bool clean(std::string_view file) const { return stoppedAt == static_cast<int64_t>(file.size()); }
};
FrontWalk WalkFromFront(std::string_view file);

struct Region {
  int64_t from = 0, to = 0;
  bool operator==(const Region&) const = default;
};

// What a walk over the whole file finds: its sound calls, and its damaged
// regions, each from where trust is lost to the next offset where a trusted
// record begins, or the end of the file.
struct Expected {
  int64_t calls = 0;
  std::vector<Region> damage;
};
Expected WalkWholeFile(std::string_view file);

// The `count` records that end the file, newest last, read backwards from
// its end; false when the lengths there do not frame that many.
bool WalkBackFromEnd(std::string_view file, size_t count, std::vector<WalkedCall>* calls);

// The six values of a body as the program's readers split it: the mark,
// then five fields, each up to the next FIELD_END or the body's end.
std::vector<std::string> SplitFields(std::string_view body);

}  // namespace telvo::fuzz
