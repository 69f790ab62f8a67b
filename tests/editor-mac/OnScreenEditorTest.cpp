// On screen: the test editor in a real window on a virtual X server of the test's own,
// clicked and dragged with xdotool and photographed with ImageMagick's import. Skipped
// where Xvfb, xdotool or import is missing.

#include "MacTestSupport.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
bool OnPath(const char* program)
{
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) {
      end = dirs.size();
    }
    std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

// Xvfb on a free display number (it picks one and reports it); empty when it cannot start.
class VirtualServer
{
public:
  VirtualServer()
  {
    int fds[2];
    if (pipe(fds) != 0) {
      return;
    }
    mPid = fork();
    if (mPid == 0) {
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (mPid < 0) {
      close(fds[0]);
      return;
    }
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') {
        break;
      }
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) {
      mDisplay = ":" + number;
    }
  }
  ~VirtualServer()
  {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
    }
  }
  const std::string& display() const { return mDisplay; }

private:
  pid_t mPid = -1;
  std::string mDisplay;
};

// Runs the run loop on the real clock: timers, X events, draw passes.
void Pump(double seconds)
{
  NSAutoreleasePool pool;
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(seconds));
}

bool RunCommand(const std::string& command)
{
  return std::system(command.c_str()) == 0;
}
} // namespace

TEST(OnScreenEditor, ClicksAndDragsMoveTheControlsAndTheWindowShowsThem)
{
  if (!OnPath("Xvfb")) {
    GTEST_SKIP() << "Xvfb is not installed: the on-screen editor test needs a virtual X server";
  }
  if (!OnPath("xdotool") || !OnPath("import")) {
    GTEST_SKIP() << "xdotool or ImageMagick's import is not installed: no input or screenshot on the virtual screen";
  }
  VirtualServer server;
  if (server.display().empty()) {
    GTEST_SKIP() << "Xvfb could not be started";
  }
  setenv("DISPLAY", server.display().c_str(), 1);

  NSAutoreleasePool pool;
  MacEditorSet set;
  NSWindow* window = MakeWindow(MacEditorSet::kW, MacEditorSet::kH, 40, 60);
  ASSERT_NE(window->nativeWindow(), 0u);
  set.editor->OpenWindow(window->contentView());
  Pump(0.5);
  const std::string id = std::to_string(window->nativeWindow());
  const std::string move = "xdotool mousemove --window " + id + " ";

  // a click on the switch
  ASSERT_TRUE(RunCommand(move + std::to_string(MacEditorSet::kSwitchX + 10) + " " + std::to_string(MacEditorSet::kSwitchY + 10) +
                  " click 1"));
  Pump(0.3);
  EXPECT_DOUBLE_EQ(set.plug.Norm(kOnOff), 1.0);

  // the knob dragged up by its own height: a quarter of its range (gearing 4)
  const int kx = MacEditorSet::kKnobX + 20, ky = MacEditorSet::kKnobY + 20;
  ASSERT_TRUE(RunCommand(move + std::to_string(kx) + " " + std::to_string(ky) + " mousedown 1"));
  Pump(0.1);
  ASSERT_TRUE(RunCommand(move + std::to_string(kx) + " " + std::to_string(ky - 20)));
  Pump(0.1);
  ASSERT_TRUE(RunCommand(move + std::to_string(kx) + " " + std::to_string(ky - 40) + " mouseup 1"));
  Pump(0.3);
  EXPECT_NEAR(set.plug.Norm(kGain), 0.75, 1e-9);
  EXPECT_NEAR(set.plug.GetParam(kGain)->Value(), 6.0, 1e-9);

  // a click on the fader snaps the handle's centre to the pointer: (243 - 150 - 5) / 110
  ASSERT_TRUE(RunCommand(move + "243 " + std::to_string(MacEditorSet::kFaderY + 7) + " click 1"));
  Pump(0.5);
  EXPECT_NEAR(set.plug.Norm(kFreq), 0.8, 1e-3);
  EXPECT_EQ(set.plug.mBegun, (std::vector<int>{kOnOff, kGain, kFreq}));
  EXPECT_EQ(set.plug.mEnded, (std::vector<int>{kOnOff, kGain, kFreq}));

  // what the screen shows
  char shot[] = "/tmp/kelvo-onscreen-XXXXXX";
  int fd = mkstemp(shot);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(RunCommand("import -window " + id + " png:" + shot));
  std::unique_ptr<RAS_IBitmap> screen(RAS_LoadPNG(shot, nullptr));
  unlink(shot);
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->getWidth(), MacEditorSet::kW);
  ASSERT_EQ(screen->getHeight(), MacEditorSet::kH);
  auto at = [&](int x, int y) { return Opaque(IGraphicsRaster::UnpackColor(RAS_GetPixel(screen.get(), x, y))); };
  EXPECT_EQ(at(2, 2), Opaque(kBackgroundColor));
  EXPECT_EQ(at(MacEditorSet::kW - 3, MacEditorSet::kH - 3), Opaque(kBackgroundColor));
  // gain 0.75: frame trunc(0.75 x 19 + 0.5) + 1 = 15
  EXPECT_EQ(at(MacEditorSet::kKnobX + 2, MacEditorSet::kKnobY + 2), Opaque(FrameColor(15)));
  EXPECT_EQ(at(MacEditorSet::kSwitchX + 2, MacEditorSet::kSwitchY + 2), Opaque(FrameColor(2)));
  // the handle 88 pixels along (trunc(0.8 x 110))
  EXPECT_EQ(at(MacEditorSet::kFaderX + 88 + 5, MacEditorSet::kFaderY + 7), 0xFFFAFAFAu);
  EXPECT_EQ(at(MacEditorSet::kFaderX + 2, MacEditorSet::kFaderY + 7), Opaque(kBackgroundColor));

  set.editor->CloseWindow();
  window->release();
  Pump(0.1);
}
