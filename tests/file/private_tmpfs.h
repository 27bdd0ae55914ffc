// Runs a piece of a test in a child process that has a small tmpfs of its own, mounted in a
// private mount namespace (as root, or through a user namespace), so a test can fill a disk
// without touching the machine's. Skips when neither is allowed here.
#pragma once

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace kiv::file::testing {

struct ChildOutcome {
  enum Kind { Passed, Failed, Skipped } kind;
  std::string message;
};

namespace detail {

inline bool WriteProcFile(const char* path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// Answers an empty string once a tmpfs of sizeOption is mounted at mountPoint, else why not.
inline std::string MountPrivateTmpfs(const std::filesystem::path& mountPoint,
                                     const std::string& sizeOption) {
  const uid_t uid = geteuid();
  const gid_t gid = getegid();
  if (unshare(CLONE_NEWNS) != 0) {
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
      return std::string("no mount namespace: ") + std::strerror(errno);
    }
    // Files stay owned by the real user inside the namespace.
    WriteProcFile("/proc/self/setgroups", "deny");
    if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
        !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n")) {
      return "cannot map the user into the user namespace";
    }
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return std::string("cannot make mounts private: ") + std::strerror(errno);
  }
  if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, sizeOption.c_str()) != 0) {
    return std::string("cannot mount a tmpfs: ") + std::strerror(errno);
  }
  return std::string();
}

}  // namespace detail

// body answers an empty string on success or what went wrong. The child is bounded to 60 s.
inline ChildOutcome RunWithPrivateTmpfs(const std::filesystem::path& mountPoint,
                                        const std::string& sizeOption,
                                        const std::function<std::string()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return {ChildOutcome::Failed, "pipe failed"};
  const pid_t child = fork();
  if (child < 0) return {ChildOutcome::Failed, "fork failed"};
  if (child == 0) {
    close(channel[0]);
    alarm(60);
    int code = 0;
    std::string message = detail::MountPrivateTmpfs(mountPoint, sizeOption);
    if (!message.empty()) {
      code = 77;
    } else {
      try {
        message = body();
      } catch (const std::exception& e) {
        message = std::string("unexpected exception: ") + e.what();
      } catch (...) {
        message = "unexpected exception";
      }
      code = message.empty() ? 0 : 1;
    }
    if (!message.empty() && write(channel[1], message.data(), message.size()) < 0) code = 2;
    close(channel[1]);
    _exit(code);
  }
  close(channel[1]);
  std::string message;
  char buffer[512];
  for (;;) {
    const ssize_t got = read(channel[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    message.append(buffer, static_cast<size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {ChildOutcome::Passed, message};
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return {ChildOutcome::Skipped, message};
  if (WIFSIGNALED(status)) {
    message += " (child ended by signal " + std::to_string(WTERMSIG(status)) + ")";
  }
  return {ChildOutcome::Failed, message};
}

}  // namespace kiv::file::testing
