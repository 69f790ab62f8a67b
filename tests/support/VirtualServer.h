#pragma once

// Xvfb on a free display number (it picks one and reports it), for tests that need a real
// X server; the display is empty when Xvfb cannot be started.

#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class VirtualServer
{
public:
  explicit VirtualServer(const char* screen = "640x480x24")
  {
    int fds[2];
    if (pipe(fds) != 0) return;
    mPid = fork();
    if (mPid == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number once it accepts connections
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    char c;
    while (mPid > 0 && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) mDisplay = ":" + number;
  }
  ~VirtualServer()
  {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
    }
  }
  VirtualServer(const VirtualServer&) = delete;
  VirtualServer& operator=(const VirtualServer&) = delete;

  const std::string& display() const { return mDisplay; }

private:
  pid_t mPid = -1;
  std::string mDisplay;
};
