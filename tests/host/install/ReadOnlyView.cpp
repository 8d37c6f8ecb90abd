#include "ReadOnlyView.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace tunely_test {
namespace {

constexpr int kUnavailable = 77;
constexpr int kThrew = 70;

std::string failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool writeProcFile(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  return bool(out.flush());
}

// Root gets a mount namespace directly; anyone else through a user namespace of their own.
std::string enterReadOnlyView(const std::string& folder) {
  if (unshare(CLONE_NEWNS) != 0) {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return failure("unshare");
    if (!writeProcFile("/proc/self/setgroups", "deny") ||
        !writeProcFile("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !writeProcFile("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1"))
      return "cannot map the user into its namespace";
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return failure("mount private");
  if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
    return failure("bind mount");
  if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
    return failure("read-only remount");
  return {};
}

void writeAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += size_t(n);
  }
}

}  // namespace

ReadOnlyRun runWithReadOnlyFolder(const std::string& folder,
                                  const std::function<std::string()>& body) {
  ReadOnlyRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    run.unavailable = true;
    run.result = failure("pipe");
    return run;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    run.unavailable = true;
    run.result = failure("fork");
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return run;
  }
  if (pid == 0) {
    close(pipeEnds[0]);
    const std::string why = enterReadOnlyView(folder);
    if (!why.empty()) {
      writeAll(pipeEnds[1], why);
      _exit(kUnavailable);
    }
    // The child never returns into the test program, whatever the body does.
    try {
      writeAll(pipeEnds[1], body());
      _exit(0);
    } catch (const std::exception& e) {
      writeAll(pipeEnds[1], std::string("uncaught exception: ") + e.what());
    } catch (...) {
      writeAll(pipeEnds[1], "uncaught exception");
    }
    _exit(kThrew);
  }
  close(pipeEnds[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) run.result.append(buffer, size_t(n));
  close(pipeEnds[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) {
    run.died = true;
    run.result = failure("waitpid");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kUnavailable) {
    run.unavailable = true;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kThrew) {
    run.died = true;
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.died = true;
    run.result = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                     : "exited with status " + std::to_string(WEXITSTATUS(status));
  }
  return run;
}

}  // namespace tunely_test
