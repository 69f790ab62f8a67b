#include "MacTestSupport.h"

#include "raster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
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

// An editor with no controls whose surface the tests draw text into.
class Text : public ::testing::Test
{
protected:
  void SetUp() override
  {
    editor = new IGraphicsMac(&plug, 200, 60, 0);
    plug.AttachGraphics(editor);
    clear();
  }
  void clear()
  {
    IRECT all(0, 0, 200, 60);
    editor->FillIRect(&COLOR_WHITE, &all, nullptr);
  }
  Ink ink()
  {
    Ink k;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 200; ++x) {
        IColor c = editor->GetPoint(x, y);
        uint32_t rgb = Opaque(c);
        if (rgb == 0xFFFFFFFFu) continue;
        k.colours.insert(rgb);
        k.left = std::min(k.left, x);
        k.right = std::max(k.right, x);
        k.top = std::min(k.top, y);
        k.bottom = std::max(k.bottom, y);
      }
    return k;
  }

  NSAutoreleasePool pool;
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
};
} // namespace

TEST_F(Text, SizeThirteenIsNinePointsWithoutAntialiasingEightPixelsBelowTheTop)
{
  IColor colour(255, 113, 124, 127);
  IText text(13, &colour, nullptr, kStyleNormal, kAlignLeft, 0);
  IRECT r(10, 10, 190, 50);
  EXPECT_TRUE(editor->DrawIText(&text, "Kelvo 4.7 dB", &r));
  Ink k = ink();
  ASSERT_FALSE(k.empty());
  // one colour: monochrome glyphs in the text's colour
  EXPECT_EQ(k.colours, (std::set<uint32_t>{Opaque(colour)}));
  // the line's top is 10 + 9/4 + 6 = 18; capitals start at most a few pixels lower
  EXPECT_GE(k.top, 18);
  EXPECT_LE(k.top, 21);
  // a 9-point line
  EXPECT_LE(k.bottom, 18 + 11);
  EXPECT_GE(k.left, 10);
  EXPECT_LE(k.left, 12);
  EXPECT_LT(k.right, 10 + 70);
  EXPECT_STREQ(editor->GetCachedTextStyle()->mFont, "Arial");
}

TEST_F(Text, AntialiasingStartsAbovePointSizeElevenAndTheLineMovesDownWithTheSize)
{
  // sizes 13 to 20 are points 9, 10, 11, 11, 12, 12, 13, 14; 16 is the first above 11
  for (int size = 13; size <= 20; ++size) {
    clear();
    int points = static_cast<int>(size * 0.75);
    IText text(size, &COLOR_BLACK, nullptr, kStyleNormal, kAlignLeft, 0);
    IRECT r(10, 4, 190, 56);
    editor->DrawIText(&text, "Hd", &r);
    Ink k = ink();
    ASSERT_FALSE(k.empty()) << size;
    EXPECT_EQ(k.colours.size() > 1, points > 11) << size;
    int lineTop = 4 + points / 4 + 6;
    EXPECT_GE(k.top, lineTop) << size;
    EXPECT_LE(k.top, lineTop + points / 3 + 1) << size;
    // the capital is about 0.7 of the point size tall
    EXPECT_NEAR(k.bottom - k.top + 1, 0.72 * points, 2.0) << size;
  }
}

TEST_F(Text, LargerTextIsAntialiasedAndColourAndAlignmentFollowEachCall)
{
  // 16 x 0.75 = 12 points: above 11, anti-aliased; its top 10 + 3 + 6 = 19
  IText red(16, &COLOR_RED, nullptr, kStyleNormal, kAlignLeft, 0);
  IRECT r(10, 10, 190, 50);
  editor->DrawIText(&red, "Kelvo", &r);
  Ink k = ink();
  ASSERT_FALSE(k.empty());
  EXPECT_GT(k.colours.size(), 3u);
  EXPECT_TRUE(k.colours.count(0xFFFF0000u));
  EXPECT_GE(k.top, 19);
  EXPECT_LE(k.left - 10, 2);

  // the same font, another colour and alignment: the cached attributes change with them
  clear();
  IText blueRight(16, &COLOR_BLUE, nullptr, kStyleNormal, kAlignRight, 0);
  editor->DrawIText(&blueRight, "Kelvo", &r);
  Ink right = ink();
  ASSERT_FALSE(right.empty());
  EXPECT_TRUE(right.colours.count(0xFF0000FFu));
  EXPECT_FALSE(right.colours.count(0xFFFF0000u));
  EXPECT_LE(190 - right.right, 3);
  EXPECT_EQ(right.right - right.left, k.right - k.left);
  EXPECT_EQ(editor->GetCachedTextStyle()->mColor, COLOR_BLUE);
  EXPECT_EQ(editor->GetCachedTextStyle()->mAlign, kAlignRight);

  clear();
  IText blueCentre(16, &COLOR_BLUE, nullptr, kStyleNormal, kAlignCenter, 0);
  editor->DrawIText(&blueCentre, "Kelvo", &r);
  Ink centre = ink();
  EXPECT_LE(std::abs((centre.left - 10) - (190 - 1 - centre.right)), 3);

  // a smaller size after a larger one is drawn at its own size
  clear();
  IText small(13, &COLOR_BLUE, nullptr, kStyleNormal, kAlignLeft, 0);
  editor->DrawIText(&small, "Kelvo", &r);
  Ink s = ink();
  EXPECT_LT(s.bottom - s.top, centre.bottom - centre.top);
  EXPECT_EQ(s.colours.size(), 1u);
}

TEST_F(Text, CaptionDrawsItsParameterTextIntoTheSurface)
{
  EditorPlug captionPlug;
  IGraphicsMac* captioned = new IGraphicsMac(&captionPlug, 200, 60, 0);
  IRECT r(0, 0, 200, 40);
  IText style = MacEditorSet::CaptionText();
  captioned->AttachControl(new ICaptionControl(&captionPlug, &r, kCutoff, &style, true));
  captionPlug.AttachGraphics(captioned);
  IRECT all(0, 0, 200, 60);
  captioned->FillIRect(&COLOR_WHITE, &all, nullptr);
  captioned->Draw(&all);
  std::set<uint32_t> colours;
  int top = 1 << 30;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      uint32_t c = Opaque(captioned->GetPoint(x, y));
      if (c != 0xFFFFFFFFu) {
        colours.insert(c);
        top = std::min(top, y);
      }
    }
  // "OFF" in the caption colour, from 8 pixels below the top
  EXPECT_EQ(colours, (std::set<uint32_t>{Opaque(style.mColor)}));
  EXPECT_GE(top, 8);
  EXPECT_LE(top, 11);
}

TEST(ImageResource, FoundByNameInTheBundleWhateverTheCaseOfItsExtension)
{
  PrepareTestBundle();
  std::unique_ptr<RAS_IBitmap> knob(IGraphicsMac::LoadImageResource(kTestBundleID, "img/knob.png"));
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->getWidth(), kKnobSize);
  EXPECT_EQ(knob->getHeight(), kKnobSize * kKnobFrames);
  EXPECT_EQ(RAS_GetPixel(knob.get(), 3, kKnobSize * 4 + 3), [] { IColor c = FrameColor(5); return IGraphicsRaster::PackColor(&c); }());
  // capitals find the same file; the folder part of the name is not used
  std::unique_ptr<RAS_IBitmap> upper(IGraphicsMac::LoadImageResource(kTestBundleID, "KNOB/knob.PNG"));
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->getHeight(), kKnobSize * kKnobFrames);
  std::unique_ptr<RAS_IBitmap> mixed(IGraphicsMac::LoadImageResource(kTestBundleID, "knob.Png"));
  EXPECT_NE(mixed, nullptr);
  // JPEG through the JPEG loader
  std::unique_ptr<RAS_IBitmap> photo(IGraphicsMac::LoadImageResource(kTestBundleID, "photo.JPG"));
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->getWidth(), 8);
  EXPECT_EQ(photo->getHeight(), 6);
  IColor p = IGraphicsRaster::UnpackColor(RAS_GetPixel(photo.get(), 4, 3));
  EXPECT_EQ(p.A, 255);
  EXPECT_GE(p.R, 250);
  EXPECT_LE(p.G, 5);
}

TEST(ImageResource, OtherExtensionsMissingFilesAndUnknownBundlesGiveNoImage)
{
  PrepareTestBundle();
  // the file exists, but only png and jpg names are accepted
  struct stat st;
  ASSERT_EQ(stat((TestBundleResources() + "/handle.gif").c_str(), &st), 0);
  const char* refused[] = {"handle.gif", "handle", "handle.png.gif", "photo.jpeg", "handle.", "", ".png", "missing.png",
                           "photo.png", "knob.jpg"};
  for (const char* name : refused) {
    RAS_IBitmap* b = IGraphicsMac::LoadImageResource(kTestBundleID, name);
    EXPECT_EQ(b, nullptr) << name;
    delete b;
  }
  EXPECT_EQ(IGraphicsMac::LoadImageResource(kTestBundleID, nullptr), nullptr);
  EXPECT_EQ(IGraphicsMac::LoadImageResource("org.kelvo.test.absent", "knob.png"), nullptr);
  EXPECT_EQ(IGraphicsMac::LoadImageResource("", "knob.png"), nullptr);
  EXPECT_EQ(IGraphicsMac::LoadImageResource(nullptr, "knob.png"), nullptr);
}

TEST(ImageResource, EditorLoadsFromItsOwnBundleOnly)
{
  PrepareTestBundle();
  EditorPlug plug;
  IGraphicsMac editor(&plug, 10, 10, 0);
  RAS_IBitmap* none = editor.OSLoadBitmap(1, "knob.png");
  EXPECT_EQ(none, nullptr);
  editor.SetBundleID(kTestBundleID);
  std::unique_ptr<RAS_IBitmap> handle(editor.OSLoadBitmap(1, "img/handle.png"));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->getWidth(), 10);
  EXPECT_STREQ(editor.GetBundleID(), kTestBundleID);
}

TEST(BundlePaths, PluginPathIsTheBundlesFolderAndHostPathItsExecutable)
{
  PrepareTestBundle();
  EditorPlug plug;
  IGraphicsMac editor(&plug, 10, 10, 0);
  BASE_String path("unchanged");
  editor.PluginPath(&path);
  EXPECT_STREQ(path.Get(), "unchanged");
  editor.HostPath(&path);
  EXPECT_STREQ(path.Get(), "unchanged");
  editor.SetBundleID(kTestBundleID);
  std::string bundle = KELVO_EDITOR_MAC_BUNDLE;
  editor.PluginPath(&path);
  EXPECT_EQ(std::string(path.Get()), bundle.substr(0, bundle.rfind('/')) + "/");
  editor.HostPath(&path);
  EXPECT_EQ(std::string(path.Get()), bundle + "/Contents/MacOS/EditorMacTest");
}

TEST(SystemVersion, IsTheGestaltVersionAndAtLeastTenFive)
{
  EXPECT_EQ(IGraphicsMac::GetUserOSVersion(), 0x1068);
  EXPECT_GE(IGraphicsMac::GetUserOSVersion(), 0x1050);
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
    auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      lines.clear();
      std::ifstream in(dir + "/opened");
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      if (lines.size() >= n) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return lines;
  }

  NSAutoreleasePool pool;
  std::string dir;
};
} // namespace

TEST_F(Opener, WebLinksAndFilePathsAreOpenedByTheDesktop)
{
  EditorPlug plug;
  IGraphicsMac editor(&plug, 10, 10, 0);
  EXPECT_TRUE(editor.OpenURL("http://www.example.org/kelvo", "title", "confirm", "error"));
  std::vector<std::string> got = opened(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "http://www.example.org/kelvo");
  EXPECT_TRUE(editor.OpenURL("/tmp/Kelvo manual.pdf"));
  got = opened(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], "file:///tmp/Kelvo%20manual.pdf");
}

TEST_F(Opener, TextThatMakesNoLinkFailsSoTheBackupLinkIsTried)
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
  std::vector<std::string> got = opened(1);
  EXPECT_EQ(got, (std::vector<std::string>{"http://www.example.org/backup"}));
  // a desktop that cannot open anything is reported too
  NSWorkspace::sharedWorkspace()->setOpenerCommand((dir + "/missing-opener").c_str());
  EXPECT_FALSE(editor->OpenURL("http://www.example.org/"));
}
