#include "MacTestSupport.h"

#include "raster_png_write.h"

#include <cstdio>
#include <jpeglib.h>
#include <malloc.h>
#include <mutex>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KELVO_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVO_TEST_ASAN 1
#endif
#endif
#ifdef KELVO_TEST_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

const char* const kTestBundleID = "org.kelvo.test.editormac";
const char* const kTestViewFactory = "Test_Editor_View";

namespace
{
std::string Resource(const char* name)
{
  return std::string(KELVO_EDITOR_MAC_BUNDLE) + "/Contents/Resources/" + name;
}

// Suites running in parallel rewrite the same files: each is written aside and renamed
// into place, so that a reader never sees half of one.
std::string Aside(const char* name)
{
  return Resource(name) + "." + std::to_string(getpid());
}

void WritePNG(const char* name, RAS_IBitmap* bitmap)
{
  RAS_WritePNG(Aside(name).c_str(), bitmap);
  std::rename(Aside(name).c_str(), Resource(name).c_str());
  delete bitmap;
}

// An 8 x 6 JPEG of pure red.
void WriteRedJPEG(const char* name)
{
  FILE* f = std::fopen(Aside(name).c_str(), "wb");
  if (!f) {
    return;
  }
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = 8;
  c.image_height = 6;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(8 * 3, 0);
  for (int x = 0; x < 8; ++x) row[x * 3] = 255;
  while (c.next_scanline < c.image_height) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
  std::rename(Aside(name).c_str(), Resource(name).c_str());
}
} // namespace

void PrepareTestBundle()
{
  static std::once_flag once;
  std::call_once(once, [] {
    WritePNG("background.png", MakeSolid(MacEditorSet::kW, MacEditorSet::kH, kBackgroundColor));
    WritePNG("knob.png", MakeStrip(kKnobSize, kKnobSize, kKnobFrames));
    WritePNG("switch.png", MakeStrip(30, 20, 2));
    WritePNG("handle.png", MakeSolid(10, 14, IColor(255, 250, 250, 250)));
    // the same image under a name the loader refuses for its extension
    WritePNG("handle.gif", MakeSolid(10, 14, IColor(255, 250, 250, 250)));
    WriteRedJPEG("photo.jpg");
    NSAutoreleasePool pool;
    NSBundle::bundleWithPath(NSString::stringWithUTF8String(KELVO_EDITOR_MAC_BUNDLE));
  });
}

IText MacEditorSet::CaptionText()
{
  IColor c(255, 113, 124, 127);
  return IText(13, &c, nullptr, kStyleNormal, kAlignCenter, 0);
}

MacEditorSet::MacEditorSet()
{
  PrepareTestBundle();
  editor = new IGraphicsMac(&plug, kW, kH, 0);
  editor->SetBundleID(kTestBundleID);
  editor->AttachBackground(kBackgroundID, "img/background.png");
  IBitmap knob = editor->LoadIBitmap(kKnobID, "img/knob.PNG", kKnobFrames);
  editor->AttachControl(new IKnobMultiControl(&plug, kKnobX, kKnobY, kGain, &knob));
  IBitmap sw = editor->LoadIBitmap(kSwitchID, "img/switch.png", 2);
  editor->AttachControl(new ISwitchControl(&plug, kSwitchX, kSwitchY, kOnOff, &sw));
  IBitmap handle = editor->LoadIBitmap(kHandleID, "img/handle.png", 1);
  editor->AttachControl(new IFaderControl(&plug, kFaderX, kFaderY, 120, kFreq, &handle, kHorizontal));
  IRECT caption(20, 100, 140, 120);
  IText text = CaptionText();
  editor->AttachControl(new ICaptionControl(&plug, &caption, kCutoff, &text, true));
  plug.AttachGraphics(editor);
}

NSWindow* MakeWindow(int w, int h, int x, int y)
{
  NSWindow* window = new NSWindow;
  window->initWithContentRect_styleMask_backing_defer(NSMakeRect(x, y, w, h), NSTitledWindowMask,
                                                      NSBackingStoreBuffered, NO);
  window->makeKeyAndOrderFront(nil);
  return window;
}

uint32_t WindowPixel(NSWindow* window, int x, int y)
{
  CGContextRef c = window->backingContext();
  // the backing runs bottom-up from the window's bottom; content points run from its top
  int fromBottom = static_cast<int>(window->contentSize().height) - 1 - y;
  const unsigned char* p = static_cast<unsigned char*>(CGBitmapContextGetData(c)) +
                           (CGBitmapContextGetHeight(c) - 1 - fromBottom) * CGBitmapContextGetBytesPerRow(c) + x * 4;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

size_t HeapBytesInUse()
{
#ifdef KELVO_TEST_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

void RecordingControl::Record(const char* kind, int x, int y, IMouseMod* m, int d)
{
  std::string s = std::string(kind) + " " + std::to_string(x) + "," + std::to_string(y) + " ";
  s += std::string(m->L ? "L" : "") + (m->R ? "R" : "") + (m->S ? "S" : "") + (m->C ? "C" : "") + (m->A ? "A" : "");
  mEvents.push_back(std::string(kind) == "wheel" ? s + " " + std::to_string(d) : s);
}

RecordingEditorSet::RecordingEditorSet(int w, int h, int fps)
{
  editor = new IGraphicsMac(&plug, w, h, fps);
  all = new RecordingControl(&plug, IRECT(0, 0, w, h));
  small = new RecordingControl(&plug, IRECT(10, 20, 30, 40));
  editor->AttachControl(all);
  editor->AttachControl(small);
  plug.AttachGraphics(editor);
}

namespace
{
IEffectInstanceInfo TestInstanceInfo()
{
  IEffectInstanceInfo info;
  info.mBundleID.Set(kTestBundleID);
  info.mCocoaViewFactoryClassName.Set(kTestViewFactory);
  return info;
}
} // namespace

MacTestAU::MacTestAU(bool withEditor)
  : IEffectAU(TestInstanceInfo(), 1, "1-1 2-2", 1, "EditorMacTest", "EditorMacTest", "Tests", 0x10000, 0x546d6163,
              0x54737473, 0, false, false, false)
{
  GetParam(0)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
  if (withEditor) {
    PrepareTestBundle();
    editor = new IGraphicsMac(this, 300, 253, 0);
    editor->SetBundleID(kTestBundleID);
    all = new RecordingControl(this, IRECT(0, 0, 300, 253));
    editor->AttachControl(all);
    AttachGraphics(editor);
  }
}

IEffectAU* MakePlug()
{
  return new MacTestAU(true);
}
