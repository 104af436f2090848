#pragma once
// How a path typed on telvo-log's command line becomes the path the store
// holds for a log.

#include <string>

#include "platform/env.h"

namespace telvo {

// `typed` is code-page text with "/" separators, as typed. The result keeps
// its spelling, so the folder used is the one named even where another
// differs from it only in case; only a component missing as spelled is
// looked up ignoring case, as for any program path. The store knows a phone
// log by its last component "\MESSAGES" and finds ARCHIVE and EXPORT.TXT
// beside it after the last "\", so that component is written MESSAGES
// whenever that spelling finds the same file, and a bare file name is given
// the working folder.
std::string LogProgramPath(Env& env, const std::string& typed);

}  // namespace telvo
