#include "tests/hostinfo/child_process.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace hostseal::test {
namespace {

// Forks; the child runs body with its standard output on a pipe and must end with _exit. The
// parent collects the output and gets it back when the child exits with status 0.
std::optional<std::string> ForkAndCollect(const std::function<void()>& body) {
  int ends[2];
  if (::pipe(ends) != 0) return std::nullopt;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[0]);
    ::close(ends[1]);
    body();
    ::_exit(127);
  }
  ::close(ends[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = ::read(ends[0], buffer, sizeof(buffer))) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(ends[0]);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

}  // namespace

std::optional<std::vector<std::string>> RunInChild(
    const std::function<std::vector<std::string>()>& work) {
  const auto output = ForkAndCollect([&] {
    int code = 0;
    try {
      for (const auto& line : work()) std::fputs((line + "\n").c_str(), stdout);
    } catch (...) {
      code = 1;
    }
    std::fflush(stdout);
    ::_exit(code);  // no exit handlers of the test program in the child
  });
  if (!output) return std::nullopt;
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < output->size(); start = end + 1) {
    end = output->find('\n', start);
    lines.push_back(output->substr(start, end - start));
  }
  return lines;
}

std::optional<std::string> RunCommand(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return ForkAndCollect([&] { ::execvp(argv[0], argv.data()); });
}

bool IsRoot() {
  return ::geteuid() == 0;
}

}  // namespace hostseal::test
