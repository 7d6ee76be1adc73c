#include "tests/tools/process_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace hostseal::testing {

namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : m_Fd(fd) {}
  Fd(Fd&& other) noexcept : m_Fd(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~Fd() { Reset(); }
  int Get() const { return m_Fd; }
  int Release() { return std::exchange(m_Fd, -1); }
  void Reset(int fd = -1) {
    if (m_Fd >= 0) ::close(m_Fd);
    m_Fd = fd;
  }

 private:
  int m_Fd = -1;
};

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + " failed: " + std::strerror(errno));
}

// The parent's reading end and the child's writing end of one output.
struct OutputEnds {
  Fd parent, child;
};

OutputEnds OpenOutput(const OutputTarget& target) {
  OutputEnds ends;
  if (target.kind == OutputTarget::Kind::kFile) {
    ends.child = Fd(::open(target.path.c_str(), O_WRONLY | O_CLOEXEC));
    Check(ends.child.Get() >= 0, "open");
  } else if (target.kind == OutputTarget::Kind::kTerminal) {
    ends.parent = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    Check(ends.parent.Get() >= 0 && ::grantpt(ends.parent.Get()) == 0 &&
              ::unlockpt(ends.parent.Get()) == 0,
          "posix_openpt");
    ends.child = Fd(::open(::ptsname(ends.parent.Get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
    Check(ends.child.Get() >= 0, "open pty");
  } else {
    int fds[2];
    Check(::pipe2(fds, O_CLOEXEC) == 0, "pipe2");
    ends.parent = Fd(fds[0]);
    ends.child = Fd(fds[1]);
  }
  return ends;
}

}  // namespace

ProcessResult RunProcess(const ProcessRun& run) {
  // A program that exits without reading all its input must not end the test with SIGPIPE.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  Check(::sigaction(SIGPIPE, &ignore, &before) == 0, "sigaction");
  int inFds[2];
  Check(::pipe2(inFds, O_CLOEXEC) == 0, "pipe2");
  Fd inChild(inFds[0]), inParent(inFds[1]);
  OutputEnds out = OpenOutput(run.out), err = OpenOutput(run.err);

  std::vector<char*> argv, env;
  for (const auto& a : run.argv) argv.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : run.env) env.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  env.push_back(nullptr);

  const pid_t pid = ::fork();
  Check(pid >= 0, "fork");
  if (pid == 0) {
    ::sigaction(SIGPIPE, &before, nullptr);
    if (::dup2(inChild.Get(), 0) < 0 || ::dup2(out.child.Get(), 1) < 0 ||
        ::dup2(err.child.Get(), 2) < 0) {
      ::_exit(126);
    }
    ::execve(argv[0], argv.data(), env.data());
    ::_exit(127);
  }
  inChild.Reset();
  out.child.Reset();
  err.child.Reset();

  ProcessResult result;
  std::size_t written = 0;
  if (run.input.empty()) inParent.Reset();
  for (;;) {
    pollfd fds[3] = {
        {inParent.Get(), POLLOUT, 0}, {out.parent.Get(), POLLIN, 0}, {err.parent.Get(), POLLIN, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0 && fds[2].fd < 0) break;
    if (::poll(fds, 3, -1) < 0) {
      Check(errno == EINTR, "poll");
      continue;
    }
    if (fds[0].revents != 0) {
      const ssize_t n =
          ::write(inParent.Get(), run.input.data() + written, run.input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == run.input.size()) inParent.Reset();
    }
    for (int i = 1; i < 3; ++i) {
      if (fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      // A pseudo-terminal reports EIO once the program has closed its end.
      if (n > 0) {
        (i == 1 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      } else {
        (i == 1 ? out.parent : err.parent).Reset();
      }
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) Check(errno == EINTR, "waitpid");
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace hostseal::testing
