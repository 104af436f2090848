#include "support/processes.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace telvo::test {

std::vector<pid_t> ForkTogether(int count, const std::function<int(int)>& work) {
  // The children wait until the parent closes the pipe's writing end.
  int gate[2];
  EXPECT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int k = 0; k < count; ++k) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      char c;
      while (::read(gate[0], &c, 1) > 0) {
      }
      ::_exit(std::min(work(k), 100));
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  return children;
}

int WaitAll(const std::vector<pid_t>& children) {
  int failures = 0;
  for (pid_t pid : children) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    failures += WIFEXITED(status) ? WEXITSTATUS(status) : 1000;
  }
  return failures;
}

}  // namespace telvo::test
