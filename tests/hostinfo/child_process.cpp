#include "tests/hostinfo/child_process.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace hostseal::test {
namespace {

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    done += static_cast<std::size_t>(put);
  }
}

bool WaitForCleanExit(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::optional<std::vector<std::string>> RunInChild(
    const std::function<std::vector<std::string>()>& work) {
  int ends[2];
  if (::pipe(ends) != 0) return std::nullopt;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return std::nullopt;
  }
  if (child == 0) {
    ::close(ends[0]);
    int code = 0;
    try {
      std::string text;
      for (const auto& line : work()) text += line + "\n";
      WriteAll(ends[1], text);
    } catch (...) {
      code = 1;
    }
    ::close(ends[1]);
    ::_exit(code);  // no exit handlers of the test program in the child
  }
  ::close(ends[1]);
  const std::string text = ReadAll(ends[0]);
  ::close(ends[0]);
  if (!WaitForCleanExit(child)) return std::nullopt;

  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::optional<std::string> RunCommand(const std::vector<std::string>& arguments) {
  int ends[2];
  if (arguments.empty() || ::pipe(ends) != 0) return std::nullopt;
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return std::nullopt;
  }
  if (child == 0) {
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[0]);
    ::close(ends[1]);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(ends[1]);
  std::string output = ReadAll(ends[0]);
  ::close(ends[0]);
  if (!WaitForCleanExit(child)) return std::nullopt;
  return output;
}

bool IsRoot() {
  return ::geteuid() == 0;
}

}  // namespace hostseal::test
