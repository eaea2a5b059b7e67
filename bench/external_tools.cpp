#include "bench/external_tools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Fd() { Reset(-1); }
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

std::string Describe(const CommandLine& command) {
  std::string s;
  for (const std::string& part : command) s += (s.empty() ? "" : " ") + part;
  return s;
}

// Starts `command` with the given stdin and stdout; returns the pid or -1 with errno set.
pid_t Spawn(const CommandLine& command, int in, int out, int devNull) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, devNull, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    errno = rc;
    return -1;
  }
  return pid;
}

}  // namespace

bool ProgramAvailable(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return true;
  }
  return false;
}

CommandResult RunPipeline(const std::vector<CommandLine>& commands, bool countOutput) {
  CommandResult result;
  if (commands.empty()) {
    result.error = "empty pipeline";
    return result;
  }
  Fd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
  if (devNull.Get() < 0) {
    result.error = std::string("cannot open /dev/null: ") + std::strerror(errno);
    return result;
  }

  const auto start = std::chrono::steady_clock::now();
  std::vector<pid_t> pids;
  Fd input(fcntl(devNull.Get(), F_DUPFD_CLOEXEC, 0));
  Fd counted;  // read end of the last command's stdout
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const bool last = i + 1 == commands.size();
    Fd readEnd, writeEnd;
    if (!last || countOutput) {
      int fds[2];
      if (pipe2(fds, O_CLOEXEC) != 0) {
        result.error = std::string("pipe: ") + std::strerror(errno);
        break;
      }
      readEnd.Reset(fds[0]);
      writeEnd.Reset(fds[1]);
    } else {
      writeEnd.Reset(fcntl(devNull.Get(), F_DUPFD_CLOEXEC, 0));
    }
    const pid_t pid = Spawn(commands[i], input.Get(), writeEnd.Get(), devNull.Get());
    if (pid < 0) {
      result.error = "cannot start " + commands[i][0] + ": " + std::strerror(errno);
      break;
    }
    pids.push_back(pid);
    input = std::move(readEnd);  // the next command's stdin, or the counted output
  }
  if (result.error.empty() && countOutput) counted = std::move(input);

  if (counted.Get() >= 0) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
      const ssize_t n = read(counted.Get(), buffer.data(), buffer.size());
      if (n > 0) result.outputBytes += static_cast<std::uint64_t>(n);
      else if (n == 0 || errno != EINTR) break;
    }
    counted.Reset(-1);
  }
  input.Reset(-1);  // a failed start must not leave earlier commands waiting on a pipe

  // A command upstream of a failed one dies of SIGPIPE; name the one that failed by itself.
  std::string brokenPipe;
  for (std::size_t i = 0; i < pids.size(); ++i) {
    int status = 0;
    while (waitpid(pids[i], &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
    std::string failure = Describe(commands[i]);
    failure += WIFEXITED(status) ? ": exited with status " + std::to_string(WEXITSTATUS(status))
                                 : ": killed by signal " + std::to_string(WTERMSIG(status));
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) {
      if (brokenPipe.empty()) brokenPipe = failure;
    } else if (result.error.empty()) {
      result.error = failure;
    }
  }
  if (result.error.empty()) result.error = brokenPipe;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.ok = result.error.empty();
  return result;
}
