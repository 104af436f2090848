#include "core/share_warning.h"

#include <set>
#include <string>

namespace telvo {

void WarnOfUnsafeShares(Program& program) {
  std::set<std::string> problems;
  std::string text;
  for (const Person& person : program.workgroup.people()) {
    // A database workgroup's people have no folder to judge.
    if (person.log.empty()) continue;
    // A workgroup usually lies on one or two shares: say each finding once.
    std::string problem = program.env.UnsafeShareProblem(person.log);
    if (problem.empty() || !problems.insert(problem).second) continue;
    text += (text.empty() ? "" : "\r") + problem;
  }
  if (text.empty()) return;
  ShowNotice(program, "Telvo", "Calls cannot be delivered on this shared folder.\r" + text,
             BoxIcon::kExclamation);
}

}  // namespace telvo
