#pragma once
// Processes that contend as workstations do: forked children that start
// together, and their exit statuses summed.

#include <sys/types.h>

#include <functional>
#include <vector>

namespace telvo::test {

// Forks `count` children that start together once all are forked; child k
// runs `work(k)` and exits with what it returns (at most 100).
std::vector<pid_t> ForkTogether(int count, const std::function<int(int)>& work);

// Waits for every child and sums their exit statuses; one that did not exit
// counts 1000.
int WaitAll(const std::vector<pid_t>& children);

}  // namespace telvo::test
