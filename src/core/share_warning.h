#pragma once
// Posting is refused on a share known to lose calls; the person learns of
// it before typing the first call, not after: once at start-up and when the
// options dialog picks another workgroup list.

#include "core/program.h"

namespace telvo {

// Asks the Env about the folder of every person's phone log in the people
// arrays and, where any is unsafe, shows one box under "Telvo" with each
// distinct finding on a line of its own. Shows nothing when all are safe.
void WarnOfUnsafeShares(Program& program);

}  // namespace telvo
