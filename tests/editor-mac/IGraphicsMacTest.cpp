#include "MacTestSupport.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
// The ink of text drawn on a white surface: its bounding box and colours.
struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  std::set<uint32_t> colours;
  bool empty() const { return right < 0; }
};

Ink InkOf(IGraphicsMac* editor)
{
  Ink k;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      uint32_t rgb = Opaque(editor->GetPoint(x, y));
      if (rgb == 0xFFFFFFFFu) continue;
      k.colours.insert(rgb);
      k.left = std::min(k.left, x);
      k.right = std::max(k.right, x);
      k.top = std::min(k.top, y);
      k.bottom = std::max(k.bottom, y);
    }
  return k;
}

// An editor of 200 x 60 with a caption of kCutoff at its top; draw() clears its surface to
// white, draws a text and takes its ink.
class Text : public ::testing::Test
{
protected:
  void SetUp() override
  {
    editor = new IGraphicsMac(&plug, 200, 60, 0);
    IRECT r(0, 0, 200, 40);
    IText style = MacEditorSet::CaptionText();
    editor->AttachControl(new ICaptionControl(&plug, &r, kCutoff, &style, true));
    plug.AttachGraphics(editor);
  }
  Ink draw(int size, IColor colour, EAlign align, const char* str)
  {
    editor->FillIRect(&COLOR_WHITE, &all, nullptr);
    IText text(size, &colour, nullptr, kStyleNormal, align, 0);
    IRECT r(10, 10, 190, 50);
    EXPECT_TRUE(editor->DrawIText(&text, str, &r));
    return InkOf(editor);
  }

  NSAutoreleasePool pool;
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
  IRECT all = IRECT(0, 0, 200, 60);
};
} // namespace

TEST_F(Text, AntialiasingStartsAbovePointSizeElevenAndTheLineMovesDownWithTheSize)
{
  // sizes 13 to 20 are points 9, 10, 11, 11, 12, 12, 13, 14; 16 is the first above 11
  const IColor colour(255, 113, 124, 127);
  for (int size = 13; size <= 20; ++size) {
    SCOPED_TRACE(size);
    int points = static_cast<int>(size * 0.75);
    Ink k = draw(size, colour, kAlignLeft, "Kelvo 4.7 dB");
    ASSERT_FALSE(k.empty());
    // monochrome glyphs in the text's colour up to 11 points
    if (points > 11) {
      EXPECT_GT(k.colours.size(), 3u);
    } else {
      EXPECT_EQ(k.colours, (std::set<uint32_t>{Opaque(colour)}));
    }
    // the line's top is a quarter of the point size and 6 pixels below the rectangle's
    int lineTop = 10 + points / 4 + 6;
    EXPECT_GE(k.top, lineTop);
    EXPECT_LE(k.top, lineTop + points / 4 + 1);
    // the capitals are about 0.7 of the point size tall
    EXPECT_NEAR(k.bottom - k.top + 1, 0.72 * points, 2.0);
    EXPECT_GE(k.left, 10);
    EXPECT_LE(k.left, 12);
  }
  EXPECT_STREQ(editor->GetCachedTextStyle()->mFont, "Arial");
}

TEST_F(Text, ColourAndAlignmentFollowEachCall)
{
  Ink left = draw(16, COLOR_RED, kAlignLeft, "Kelvo");
  ASSERT_FALSE(left.empty());
  EXPECT_TRUE(left.colours.count(0xFFFF0000u));
  // the same font, another colour and alignment: the cached attributes change with them
  Ink right = draw(16, COLOR_BLUE, kAlignRight, "Kelvo");
  ASSERT_FALSE(right.empty());
  EXPECT_TRUE(right.colours.count(0xFF0000FFu));
  EXPECT_FALSE(right.colours.count(0xFFFF0000u));
  EXPECT_LE(190 - right.right, 3);
  EXPECT_EQ(right.right - right.left, left.right - left.left);
  Ink centre = draw(16, COLOR_BLUE, kAlignCenter, "Kelvo");
  EXPECT_LE(std::abs((centre.left - 10) - (190 - 1 - centre.right)), 3);
  // a smaller size after a larger one is drawn at its own size
  Ink small = draw(13, COLOR_BLUE, kAlignLeft, "Kelvo");
  EXPECT_LT(small.bottom - small.top, centre.bottom - centre.top);
  EXPECT_EQ(small.colours.size(), 1u);
}

TEST_F(Text, CaptionDrawsItsParameterTextIntoTheSurface)
{
  editor->FillIRect(&COLOR_WHITE, &all, nullptr);
  editor->Draw(&all);
  // "OFF" in the caption colour, from 8 pixels below the top
  Ink k = InkOf(editor);
  EXPECT_EQ(k.colours, (std::set<uint32_t>{Opaque(MacEditorSet::CaptionText().mColor)}));
  EXPECT_GE(k.top, 8);
  EXPECT_LE(k.top, 11);
}

TEST(ImageResource, PngAndJpgFoundByNameWhateverTheCaseOthersAndUnknownBundlesGiveNoImage)
{
  PrepareTestBundle();
  // capitals find the same file; the folder part of the name is not used
  for (const char* name : {"img/knob.png", "KNOB/knob.PNG", "knob.Png"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<RAS_IBitmap> knob(IGraphicsMac::LoadImageResource(kTestBundleID, name));
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getWidth(), kKnobSize);
    EXPECT_EQ(knob->getHeight(), kKnobSize * kKnobFrames);
    IColor c = FrameColor(5);
    EXPECT_EQ(RAS_GetPixel(knob.get(), 3, kKnobSize * 4 + 3), IGraphicsRaster::PackColor(&c));
  }
  // JPEG through the JPEG loader
  std::unique_ptr<RAS_IBitmap> photo(IGraphicsMac::LoadImageResource(kTestBundleID, "photo.JPG"));
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->getWidth(), 8);
  EXPECT_EQ(photo->getHeight(), 6);
  IColor p = IGraphicsRaster::UnpackColor(RAS_GetPixel(photo.get(), 4, 3));
  EXPECT_EQ(p.A, 255);
  EXPECT_GE(p.R, 250);
  EXPECT_LE(p.G, 5);
  // the file exists, but only png and jpg names are accepted
  struct stat st;
  ASSERT_EQ(stat(KELVO_EDITOR_MAC_BUNDLE "/Contents/Resources/handle.gif", &st), 0);
  const char* refused[] = {"handle.gif", "handle", "handle.png.gif", "photo.jpeg", "handle.", "", ".png", "missing.png",
                           "photo.png", "knob.jpg", nullptr};
  for (const char* name : refused) {
    std::unique_ptr<RAS_IBitmap> b(IGraphicsMac::LoadImageResource(kTestBundleID, name));
    EXPECT_EQ(b, nullptr) << (name ? name : "null");
  }
  for (const char* bundle : {"org.kelvo.test.absent", "", static_cast<const char*>(nullptr)}) {
    std::unique_ptr<RAS_IBitmap> b(IGraphicsMac::LoadImageResource(bundle, "knob.png"));
    EXPECT_EQ(b, nullptr) << (bundle ? bundle : "null");
  }
}

TEST(ImageResource, EditorFindsImagesAndPathsInItsOwnBundleOnly)
{
  PrepareTestBundle();
  EditorPlug plug;
  IGraphicsMac editor(&plug, 10, 10, 0);
  EXPECT_EQ(std::unique_ptr<RAS_IBitmap>(editor.OSLoadBitmap(1, "knob.png")), nullptr);
  BASE_String path("unchanged");
  editor.PluginPath(&path);
  EXPECT_STREQ(path.Get(), "unchanged");
  editor.HostPath(&path);
  EXPECT_STREQ(path.Get(), "unchanged");

  editor.SetBundleID(kTestBundleID);
  std::unique_ptr<RAS_IBitmap> handle(editor.OSLoadBitmap(1, "img/handle.png"));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->getWidth(), 10);
  // the plug-in path is the bundle's folder, the host path its executable
  std::string bundle = KELVO_EDITOR_MAC_BUNDLE;
  editor.PluginPath(&path);
  EXPECT_EQ(std::string(path.Get()), bundle.substr(0, bundle.rfind('/')) + "/");
  editor.HostPath(&path);
  EXPECT_EQ(std::string(path.Get()), bundle + "/Contents/MacOS/EditorMacTest");
  EXPECT_EQ(IGraphicsMac::GetUserOSVersion(), 0x1068);
}

namespace
{
// Points the desktop opener at a script that appends each link it is given to a file.
class Opener : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char name[] = "/tmp/kelvo-editor-mac-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
    std::ofstream(dir + "/opener") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " << dir << "/opened\n";
    chmod((dir + "/opener").c_str(), 0755);
    NSWorkspace::sharedWorkspace()->setOpenerCommand((dir + "/opener").c_str());
  }
  void TearDown() override
  {
    NSWorkspace::sharedWorkspace()->setOpenerCommand(nullptr);
    std::system(("rm -rf " + dir).c_str());
  }
  // The links opened so far, waiting up to 10 s for n of them.
  std::vector<std::string> opened(size_t n)
  {
    std::vector<std::string> lines;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         lines.size() < n && std::chrono::steady_clock::now() < end;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      lines.clear();
      std::ifstream in(dir + "/opened");
      for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    return lines;
  }

  NSAutoreleasePool pool;
  std::string dir;
};
} // namespace

TEST_F(Opener, LinksAreOpenedByTheDesktopAndTextThatMakesNoLinkFailsSoTheBackupIsTried)
{
  // fault once found: a text that made no link was reported as opened
  EditorPlug plug;
  IGraphicsMac* editor = new IGraphicsMac(&plug, 100, 100, 0);
  EXPECT_FALSE(editor->OpenURL("http://bad link"));
  EXPECT_FALSE(editor->OpenURL(""));
  EXPECT_FALSE(editor->OpenURL(nullptr));
  IRECT r(0, 0, 100, 100);
  editor->AttachControl(new IURLControl(&plug, &r, "http://bad link", "http://www.example.org/backup", "Kelvo"));
  plug.AttachGraphics(editor);
  IMouseMod mod(true);
  editor->OnMouseDown(5, 5, &mod);
  EXPECT_EQ(opened(1), (std::vector<std::string>{"http://www.example.org/backup"}));
  // web links as they are, file paths as file links
  EXPECT_TRUE(editor->OpenURL("http://www.example.org/kelvo", "title", "confirm", "error"));
  EXPECT_EQ(opened(2).back(), "http://www.example.org/kelvo");
  EXPECT_TRUE(editor->OpenURL("/tmp/Kelvo manual.pdf"));
  EXPECT_EQ(opened(3), (std::vector<std::string>{"http://www.example.org/backup", "http://www.example.org/kelvo",
                                                 "file:///tmp/Kelvo%20manual.pdf"}));
  // a desktop that cannot open anything is reported too
  NSWorkspace::sharedWorkspace()->setOpenerCommand((dir + "/missing-opener").c_str());
  EXPECT_FALSE(editor->OpenURL("http://www.example.org/"));
}
