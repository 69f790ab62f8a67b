#include "MacTestSupport.h"

#include "raster_png_write.h"

#include <cstdio>
#include <jpeglib.h>
#include <malloc.h>
#include <mutex>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVO_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KELVO_TEST_ASAN 1
#endif
#ifdef KELVO_TEST_ASAN
// the sanitizer's count of bytes in use
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

const char* const kTestBundleID = "org.kelvo.test.editormac";

std::string TestBundleResources()
{
  return std::string(KELVO_EDITOR_MAC_BUNDLE) + "/Contents/Resources";
}

bool WriteSolidJPEG(const std::string& path, int w, int h, int r, int g, int b)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    return false;
  }
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(w) * 3);
  for (int x = 0; x < w; ++x) {
    row[x * 3] = static_cast<JSAMPLE>(r);
    row[x * 3 + 1] = static_cast<JSAMPLE>(g);
    row[x * 3 + 2] = static_cast<JSAMPLE>(b);
  }
  while (c.next_scanline < c.image_height) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
  return true;
}

namespace
{
void WritePNG(const std::string& name, RAS_IBitmap* bitmap)
{
  RAS_WritePNG((TestBundleResources() + "/" + name).c_str(), bitmap);
  delete bitmap;
}
} // namespace

void PrepareTestBundle()
{
  static std::once_flag once;
  std::call_once(once, [] {
    RAS_IBitmap* background = MakeSolid(MacEditorSet::kW, MacEditorSet::kH, kBackgroundColor);
    WritePNG("background.png", background);
    WritePNG("knob.png", MakeStrip(kKnobSize, kKnobSize, kKnobFrames));
    WritePNG("switch.png", MakeStrip(kSwitchW, kSwitchFrameH, 2));
    WritePNG("handle.png", MakeSolid(10, 14, IColor(255, 250, 250, 250)));
    // the same image under a name the loader refuses for its extension
    WritePNG("handle.gif", MakeSolid(10, 14, IColor(255, 250, 250, 250)));
    WriteSolidJPEG(TestBundleResources() + "/photo.jpg", 8, 6, 255, 0, 0);
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
  editor->AttachControl(new IFaderControl(&plug, kFaderX, kFaderY, kFaderLen, kFreq, &handle, kHorizontal));
  IRECT caption = CaptionRect();
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
  const unsigned char* p = static_cast<unsigned char*>(CGBitmapContextGetData(c)) +
                           (CGBitmapContextGetHeight(c) - 1 - y) * CGBitmapContextGetBytesPerRow(c) + x * 4;
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

RecordingEditorSet::RecordingEditorSet(int w, int h, int fps)
{
  editor = new IGraphicsMac(&plug, w, h, fps);
  all = new RecordingControl(&plug, IRECT(0, 0, w, h));
  small = new RecordingControl(&plug, IRECT(10, 20, 30, 40));
  editor->AttachControl(all);
  editor->AttachControl(small);
  plug.AttachGraphics(editor);
}

const char* const kTestViewFactory = "Test_Editor_View";

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
