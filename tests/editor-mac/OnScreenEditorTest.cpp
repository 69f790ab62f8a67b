// On screen: the test editor in a real window on a virtual X server of the test's own,
// clicked and dragged with xdotool and photographed with ImageMagick's import. Skipped
// where Xvfb, xdotool or import is missing.

#include "MacTestSupport.h"

#include "raster.h"

#include <gtest/gtest.h>

#include "VirtualServer.h"

#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
bool Shell(const std::string& command)
{
  return std::system(command.c_str()) == 0;
}


// Runs the run loop on the real clock: timers, X events, draw passes.
void Pump(double seconds)
{
  NSAutoreleasePool pool;
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(seconds));
}
} // namespace

TEST(OnScreenEditor, ClicksAndDragsMoveTheControlsAndTheWindowShowsThem)
{
  if (!Shell("command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null")) {
    GTEST_SKIP() << "Xvfb, xdotool or ImageMagick's import is not installed: no virtual screen to drive";
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
  auto move = [&](int x, int y, const char* action) {
    return Shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y) + " " + action);
  };

  // a click on the switch
  ASSERT_TRUE(move(MacEditorSet::kSwitchX + 10, MacEditorSet::kSwitchY + 10, "click 1"));
  Pump(0.3);
  EXPECT_DOUBLE_EQ(set.plug.Norm(kOnOff), 1.0);

  // the knob dragged up by its own height: a quarter of its range (gearing 4)
  const int kx = MacEditorSet::kKnobX + 20, ky = MacEditorSet::kKnobY + 20;
  ASSERT_TRUE(move(kx, ky, "mousedown 1"));
  Pump(0.1);
  ASSERT_TRUE(move(kx, ky - 20, ""));
  Pump(0.1);
  ASSERT_TRUE(move(kx, ky - 40, "mouseup 1"));
  Pump(0.3);
  EXPECT_NEAR(set.plug.Norm(kGain), 0.75, 1e-9);
  EXPECT_NEAR(set.plug.GetParam(kGain)->Value(), 6.0, 1e-9);

  // a click on the fader snaps the handle's centre to the pointer: (243 - 150 - 5) / 110
  ASSERT_TRUE(move(243, MacEditorSet::kFaderY + 7, "click 1"));
  Pump(0.5);
  EXPECT_NEAR(set.plug.Norm(kFreq), 0.8, 1e-3);
  EXPECT_EQ(set.plug.mBegun, (std::vector<int>{kOnOff, kGain, kFreq}));
  EXPECT_EQ(set.plug.mEnded, (std::vector<int>{kOnOff, kGain, kFreq}));

  // what the screen shows
  char shot[] = "/tmp/kelvo-onscreen-XXXXXX";
  int fd = mkstemp(shot);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(Shell("import -window " + id + " png:" + shot));
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
