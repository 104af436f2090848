#pragma once
// The torture run's verdict: every call the journals know of is looked for
// in the final files, and what is found there is checked against what the
// journals allow. Prints the counts to standard output and every fault to
// standard error.

#include "final_state.h"
#include "journal.h"
#include "supervisor.h"

namespace telvo::torture {

// Returns the number of faults: lost, duplicated, altered or unexpected
// calls, damaged files, and the faults that the journals, the workers' ends
// and the last purge already noted.
int64_t AccountForEveryCall(const RunPlan& plan, const RunCounts& run, RunFacts& facts,
                            const FinalState& final);

}  // namespace telvo::torture
