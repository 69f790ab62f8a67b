#include "CoreGraphicsPrivate.h"

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSStringDrawing.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <mutex>
#include <new>
#include <string>

NSString* const NSFontAttributeName = NSStringConstant("NSFont");
NSString* const NSForegroundColorAttributeName = NSStringConstant("NSColor");
NSString* const NSParagraphStyleAttributeName = NSStringConstant("NSParagraphStyle");

namespace {

constexpr CGFloat kDefaultSize = 12;

// FreeType library and fontconfig, shared by every font; faces are made under the lock.
struct FontSystem
{
  std::mutex lock;
  FT_Library library = nullptr;
  bool ready = false;
  static FontSystem& Get()
  {
    static FontSystem* system = [] {
      FontSystem* s = new FontSystem;
      s->ready = FT_Init_FreeType(&s->library) == 0 && FcInit();
      // fontconfig's configuration is process-wide; give it back at exit
      if (s->ready) std::atexit([] { FcFini(); });
      return s;
    }();
    return *system;
  }
};

// Finds the font file for a name, with an optional "-Bold", "-Italic" style suffix.
bool FindFontFile(const std::string& name, std::string& path, int& index, std::string& family)
{
  std::string base = name;
  int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  const size_t dash = name.rfind('-');
  if (dash != std::string::npos && dash > 0) {
    const std::string style = name.substr(dash + 1);
    if (style.find("Bold") != std::string::npos) weight = FC_WEIGHT_BOLD;
    if (style.find("Italic") != std::string::npos || style.find("Oblique") != std::string::npos) slant = FC_SLANT_ITALIC;
    base = name.substr(0, dash);
  }
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(base.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight);
  FcPatternAddInteger(pattern, FC_SLANT, slant);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    family = FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam ? reinterpret_cast<const char*>(fam)
                                                                                     : base;
  }
  FcPatternDestroy(match);
  return found;
}

// Decodes one UTF-8 character; malformed bytes give U+FFFD and advance by one.
uint32_t NextChar(const unsigned char*& s)
{
  const unsigned c = *s++;
  if (c < 0x80) return c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  uint32_t cp = c & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((*s & 0xC0) != 0x80) return 0xFFFD;
    cp = cp << 6 | (*s++ & 0x3F);
  }
  return cp;
}

struct TextStyle
{
  NSFont* font = nullptr;
  double rgba[4] = {0, 0, 0, 1};
  NSTextAlignment alignment = NSNaturalTextAlignment;
};

TextStyle StyleFrom(NSDictionary* attributes)
{
  TextStyle style;
  if (attributes) {
    style.font = dynamic_cast<NSFont*>(attributes->objectForKey(NSFontAttributeName));
    if (NSColor* c = dynamic_cast<NSColor*>(attributes->objectForKey(NSForegroundColorAttributeName))) {
      style.rgba[0] = c->redComponent();
      style.rgba[1] = c->greenComponent();
      style.rgba[2] = c->blueComponent();
      style.rgba[3] = c->alphaComponent();
    }
    if (NSParagraphStyle* p = dynamic_cast<NSParagraphStyle*>(attributes->objectForKey(NSParagraphStyleAttributeName)))
      style.alignment = p->alignment();
  }
  if (!style.font) style.font = NSFont::fontWithName_size(NSSTR("Helvetica"), kDefaultSize);
  return style;
}

FT_Int32 LoadFlags(bool antialias)
{
  return antialias ? FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL : FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO;
}

// The first line's advance width in pixels.
long LineWidth(FT_Face face, const char* text, bool antialias)
{
  long width = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  while (*s && *s != '\n' && *s != '\r') {
    const uint32_t cp = NextChar(s);
    if (FT_Load_Char(face, cp, LoadFlags(antialias)) != 0) continue;
    width += (face->glyph->advance.x + 32) >> 6;
  }
  return width;
}

}  // namespace

NSFont::~NSFont()
{
  if (mFace) {
    FontSystem& fs = FontSystem::Get();
    std::lock_guard<std::mutex> hold(fs.lock);
    FT_Done_Face(static_cast<FT_Face>(mFace));
  }
}

NSFont* NSFont::fontWithName_size(NSString* fontName, CGFloat fontSize)
{
  if (!fontName || fontSize < 0 || !std::isfinite(fontSize)) return nullptr;
  if (fontSize == 0) fontSize = kDefaultSize;
  FontSystem& fs = FontSystem::Get();
  std::lock_guard<std::mutex> hold(fs.lock);
  if (!fs.ready) return nullptr;
  std::string path, family;
  int index = 0;
  if (!FindFontFile(fontName->UTF8String(), path, index, family)) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(fs.library, path.c_str(), index, &face) != 0) return nullptr;
  // one point per pixel: 72 dpi
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(fontSize * 64)), 72, 72) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  NSFont* font = new (std::nothrow) NSFont;
  if (!font) {
    FT_Done_Face(face);
    return nullptr;
  }
  font->mName = fontName->UTF8String();
  font->mFamily = family;
  font->mPath = path;
  font->mSize = fontSize;
  font->mFace = face;
  return static_cast<NSFont*>(font->autorelease());
}

NSFont* NSFont::systemFontOfSize(CGFloat fontSize)
{
  return fontWithName_size(NSSTR("Helvetica"), fontSize);
}

NSString* NSFont::fontName() const
{
  return NSString::stringWithUTF8String(mName.c_str());
}

NSString* NSFont::familyName() const
{
  return NSString::stringWithUTF8String(mFamily.c_str());
}

CGFloat NSFont::ascender() const
{
  return static_cast<FT_Face>(mFace)->size->metrics.ascender / 64.0;
}

CGFloat NSFont::descender() const
{
  return static_cast<FT_Face>(mFace)->size->metrics.descender / 64.0;
}

NSColor* NSColor::colorWithCalibratedRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  NSColor* c = new (std::nothrow) NSColor;
  if (!c) return nullptr;
  const CGFloat v[4] = {red, green, blue, alpha};
  for (int i = 0; i < 4; ++i) c->mRGBA[i] = std::isfinite(v[i]) ? std::min(1.0, std::max(0.0, v[i])) : 0;
  return static_cast<NSColor*>(c->autorelease());
}

NSColor* NSColor::colorWithDeviceRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  return colorWithCalibratedRed_green_blue_alpha(red, green, blue, alpha);
}

NSColor* NSColor::blackColor()
{
  return colorWithCalibratedRed_green_blue_alpha(0, 0, 0, 1);
}

NSColor* NSColor::whiteColor()
{
  return colorWithCalibratedRed_green_blue_alpha(1, 1, 1, 1);
}

void NSColor::set()
{
  setFill();
}

void NSColor::setFill()
{
  if (NSGraphicsContext* g = NSGraphicsContext::currentContext())
    CGContextSetRGBFillColor(g->CGContext(), mRGBA[0], mRGBA[1], mRGBA[2], mRGBA[3]);
}

NSParagraphStyle* NSParagraphStyle::defaultParagraphStyle()
{
  static NSParagraphStyle* style = new NSParagraphStyle;
  return style;
}

NSSize NSString::sizeWithAttributes(NSDictionary* attributes)
{
  TextStyle style = StyleFrom(attributes);
  if (!style.font) return NSMakeSize(0, 0);
  FT_Face face = static_cast<FT_Face>(style.font->face());
  NSGraphicsContext* g = NSGraphicsContext::currentContext();
  const bool aa = !g || cgpriv::ShouldAntialias(g->CGContext());
  return NSMakeSize(LineWidth(face, UTF8String(), aa), style.font->ascender() - style.font->descender());
}

void NSString::drawAtPoint_withAttributes(NSPoint point, NSDictionary* attributes)
{
  NSGraphicsContext* g = NSGraphicsContext::currentContext();
  if (!g) return;
  // the point is the top left in a flipped context, the bottom left otherwise
  const NSSize size = sizeWithAttributes(attributes);
  drawWithRect_options_attributes(NSMakeRect(point.x, point.y, size.width, size.height),
                                  NSStringDrawingUsesLineFragmentOrigin, attributes);
}

void NSString::drawWithRect_options_attributes(NSRect rect, NSStringDrawingOptions, NSDictionary* attributes)
{
  NSGraphicsContext* g = NSGraphicsContext::currentContext();
  if (!g || !g->CGContext()) return;
  CGContextRef c = g->CGContext();
  TextStyle style = StyleFrom(attributes);
  if (!style.font) return;
  rect = CGRectStandardize(rect);
  FT_Face face = static_cast<FT_Face>(style.font->face());
  const bool aa = cgpriv::ShouldAntialias(c);
  const bool flipped = g->isFlipped() != NO;

  const long width = LineWidth(face, UTF8String(), aa);
  double penX = rect.origin.x;
  if (style.alignment == NSRightTextAlignment) penX = rect.origin.x + rect.size.width - width;
  else if (style.alignment == NSCenterTextAlignment) penX = rect.origin.x + (rect.size.width - width) / 2;
  penX = std::floor(penX + 0.5);
  const double ascent = std::ceil(style.font->ascender());
  // user-space y of the baseline; `down` is the sign of a step down the page
  const double down = flipped ? 1 : -1;
  const double baseline = flipped ? rect.origin.y + ascent : rect.origin.y + rect.size.height - ascent;

  const int a = static_cast<int>(std::lround(style.rgba[3] * 255));
  const int r = static_cast<int>(std::lround(style.rgba[0] * 255));
  const int gr = static_cast<int>(std::lround(style.rgba[1] * 255));
  const int b = static_cast<int>(std::lround(style.rgba[2] * 255));
  if (a == 0) return;
  int clipX0, clipRow0, clipX1, clipRow1;
  cgpriv::ClipRows(c, clipX0, clipRow0, clipX1, clipRow1);
  const CGAffineTransform ctm = CGContextGetCTM(c);

  const unsigned char* s = reinterpret_cast<const unsigned char*>(UTF8String());
  while (*s && *s != '\n' && *s != '\r') {
    const uint32_t cp = NextChar(s);
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | LoadFlags(aa)) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    for (unsigned gy = 0; gy < bm.rows; ++gy) {
      const unsigned char* line = bm.buffer + static_cast<long>(gy) * bm.pitch;
      for (unsigned gx = 0; gx < bm.width; ++gx) {
        const int coverage = mono ? ((line[gx >> 3] >> (7 - (gx & 7))) & 1) * 255 : line[gx];
        if (coverage == 0) continue;
        // centre of the glyph pixel in user space, then in device pixels
        const double ux = penX + slot->bitmap_left + gx + 0.5;
        const double uy = baseline + down * (static_cast<double>(gy) - slot->bitmap_top + 0.5);
        const CGPoint d = CGPointApplyAffineTransform(CGPointMake(ux, uy), ctm);
        if (!(d.x >= clipX0 && d.x < clipX1 && d.y >= 0 && d.y < c->height)) continue;
        const int x = static_cast<int>(std::floor(d.x));
        const int row = c->height - 1 - static_cast<int>(std::floor(d.y));
        if (x < clipX0 || x >= clipX1 || row < clipRow0 || row >= clipRow1) continue;
        cgpriv::BlendPixel(c, x, row, (a * coverage + 127) / 255, r, gr, b);
      }
    }
    penX += (slot->advance.x + 32) >> 6;
  }
}
