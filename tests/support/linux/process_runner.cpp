#include "tests/support/process_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal::testing {

namespace {

using Fd = FileDescriptor;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + " failed: " + std::strerror(errno));
}

// The parent's reading end and the child's writing end of one output.
struct OutputEnds {
  Fd parent, child;
};

// A pseudo-terminal: the master, and the slave (named name) opened as no controlling terminal.
OutputEnds OpenTerminal(std::string& name) {
  OutputEnds ends;
  ends.parent = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  Check(ends.parent.IsOpen() && ::grantpt(ends.parent.Get()) == 0 &&
            ::unlockpt(ends.parent.Get()) == 0,
        "posix_openpt");
  name = ::ptsname(ends.parent.Get());
  ends.child = Fd(::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  Check(ends.child.IsOpen(), "open pty");
  return ends;
}

OutputEnds OpenOutput(const OutputTarget& target) {
  OutputEnds ends;
  std::string name;
  if (target.kind == OutputTarget::Kind::kFile) {
    ends.child = Fd(::open(target.path.c_str(), O_WRONLY | O_CLOEXEC));
    Check(ends.child.IsOpen(), "open");
  } else if (target.kind == OutputTarget::Kind::kTerminal) {
    ends = OpenTerminal(name);
  } else {
    int fds[2];
    Check(::pipe2(fds, O_CLOEXEC) == 0, "pipe2");
    ends.parent = Fd(fds[0]);
    ends.child = Fd(fds[1]);
  }
  return ends;
}

}  // namespace

ProcessResult RunProcess(const ProcessRun& run, const RunControl& control) {
  // A program that exits without reading all its input must not end the test with SIGPIPE.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  Check(::sigaction(SIGPIPE, &ignore, &before) == 0, "sigaction");
  int inFds[2];
  Check(::pipe2(inFds, O_CLOEXEC) == 0, "pipe2");
  Fd inChild(inFds[0]), inParent(inFds[1]);
  if (!control.inputFile.empty()) {
    inChild = Fd(::open(control.inputFile.c_str(), O_RDONLY | O_CLOEXEC));
    Check(inChild.IsOpen(), "open the input file");
    inParent.Close();
  }
  OutputEnds out = OpenOutput(run.out), err = OpenOutput(run.err);
  // The slave is held open here for the whole run, so that the master neither reports a
  // hang-up before the program has opened its end nor forgets the settings once it has closed it.
  OutputEnds controlling;
  std::string terminalName;
  if (control.controllingTerminal) controlling = OpenTerminal(terminalName);
  const Fd& terminal = controlling.parent;

  std::vector<char*> argv, env;
  for (const auto& a : run.argv) argv.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : run.env) env.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  env.push_back(nullptr);

  const pid_t pid = ::fork();
  Check(pid >= 0, "fork");
  if (pid == 0) {
    ::sigaction(SIGPIPE, &before, nullptr);
    if (control.controllingTerminal) {
      // A new session whose first terminal opened becomes its controlling terminal.
      const int fd = ::setsid() < 0 ? -1 : ::open(terminalName.c_str(), O_RDWR | O_CLOEXEC);
      if (fd < 0 || ::ioctl(fd, TIOCSCTTY, 0) != 0) ::_exit(125);
    }
    if (::dup2(inChild.Get(), 0) < 0 || ::dup2(out.child.Get(), 1) < 0 ||
        ::dup2(err.child.Get(), 2) < 0) {
      ::_exit(126);
    }
    ::execve(argv[0], argv.data(), env.data());
    ::_exit(127);
  }
  inChild.Close();
  out.child.Close();
  err.child.Close();
  if (control.started) control.started(pid);

  ProcessResult result;
  std::size_t turn = 0, heard = 0;
  std::size_t written = 0;
  if (run.input.empty()) inParent.Close();
  // Never blocked on standard input while the program waits for its output to be read.
  if (inParent.Get() >= 0)
    ::fcntl(inParent.Get(), F_SETFL, ::fcntl(inParent.Get(), F_GETFL) | O_NONBLOCK);
  for (;;) {
    // The program's end shows in its standard streams; the terminal stays open on this side.
    pollfd fds[4] = {{inParent.Get(), POLLOUT, 0},
                     {out.parent.Get(), POLLIN, 0},
                     {err.parent.Get(), POLLIN, 0},
                     {terminal.Get(), POLLIN, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0 && fds[2].fd < 0) break;
    if (::poll(fds, 4, -1) < 0) {
      Check(errno == EINTR, "poll");
      continue;
    }
    if (fds[0].revents != 0) {
      const ssize_t n =
          ::write(inParent.Get(), run.input.data() + written, run.input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      const bool full = n < 0 && (errno == EAGAIN || errno == EINTR);
      if ((n <= 0 && !full) || written == run.input.size()) inParent.Close();
    }
    for (int i = 1; i < 3; ++i) {
      if (fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      // A pseudo-terminal reports EIO once the program has closed its end.
      if (n > 0) {
        (i == 1 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      } else {
        (i == 1 ? out.parent : err.parent).Close();
      }
    }
    if (fds[3].revents != 0) {
      char buffer[4096];
      const ssize_t n = ::read(terminal.Get(), buffer, sizeof buffer);
      if (n > 0) result.terminal.append(buffer, static_cast<std::size_t>(n));
      while (turn < control.conversation.size()) {
        const TerminalTurn& next = control.conversation[turn];
        const std::size_t at = result.terminal.find(next.expect, heard);
        if (at == std::string::npos) break;
        heard = at + next.expect.size();
        const ssize_t sent = ::write(terminal.Get(), next.send.data(), next.send.size());
        Check(sent == static_cast<ssize_t>(next.send.size()), "write to the terminal");
        if (next.signal != 0) ::kill(pid, next.signal);
        ++turn;
      }
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) Check(errno == EINTR, "waitpid");
  if (control.controllingTerminal) {
    // What the program wrote last, then the settings it left behind.
    pollfd rest{terminal.Get(), POLLIN, 0};
    while (::poll(&rest, 1, 0) > 0 && (rest.revents & POLLIN) != 0) {
      char buffer[4096];
      const ssize_t n = ::read(terminal.Get(), buffer, sizeof buffer);
      if (n <= 0) break;
      result.terminal.append(buffer, static_cast<std::size_t>(n));
    }
    termios settings{};
    Check(::tcgetattr(controlling.child.Get(), &settings) == 0, "tcgetattr");
    result.terminalEchoes = (settings.c_lflag & ECHO) != 0;
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace hostseal::testing
