#pragma once

// Value types of the editor: rectangles, colours, text styles, bitmap handles, blend
// settings and mouse modifiers. Plain records, copied by value.

// A rectangle in editor pixels, origin top left, y downwards; R and B are exclusive.
// Empty exactly when all four values are zero.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }

  // Point containment: never for an empty rectangle.
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  // Not symmetric: a rectangle whose right (bottom) edge equals the other's left (top)
  // edge counts as intersecting it, the other way round it does not.
  bool Intersects(const IRECT* other) const
  {
    if (Empty() || other->Empty()) {
      return false;
    }
    return R >= other->L && L < other->R && B >= other->T && T < other->B;
  }

  // The common part when Intersects holds, otherwise the empty rectangle.
  IRECT Intersect(const IRECT* other) const
  {
    if (!Intersects(other)) {
      return IRECT();
    }
    return IRECT(L > other->L ? L : other->L, T > other->T ? T : other->T, R < other->R ? R : other->R,
                 B < other->B ? B : other->B);
  }

  // The bounding rectangle of both; an empty rectangle contributes nothing.
  IRECT Union(const IRECT* other) const
  {
    if (Empty()) {
      return *other;
    }
    if (other->Empty()) {
      return *this;
    }
    return IRECT(L < other->L ? L : other->L, T < other->T ? T : other->T, R > other->R ? R : other->R,
                 B > other->B ? B : other->B);
  }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

// A colour, each component 0 to 255, alpha straight (not premultiplied).
struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor DEFAULT_TEXT_COLOR(255, 0, 0, 0);

#define DEFAULT_FONT "Arial"
#define FONT_LEN 32

// Stored with a text style; no drawing interprets it.
enum EStyle : int
{
  kStyleNormal = 0,
  kStyleBold = 1,
  kStyleItalic = 2
};

enum EAlign : int
{
  kAlignLeft = 0,
  kAlignCenter = 1,
  kAlignRight = 2
};

// A text style: font name (at most 31 characters), size in editor pixels, colour, style,
// alignment and orientation (stored, not interpreted).
struct IText
{
  char mFont[FONT_LEN];
  int mSize;
  IColor mColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation;

  // A null colour gives DEFAULT_TEXT_COLOR, a null font DEFAULT_FONT. A longer font name
  // than 31 characters is cut to 31.
  explicit IText(int size = 14, const IColor* color = nullptr, const char* font = nullptr,
                 EStyle style = kStyleNormal, EAlign align = kAlignCenter, int orientation = 0);
};

// A handle to a bitmap owned by the bitmap cache: the raster bitmap (untyped), its width,
// the height of the whole image and the number of frames. N frames form a vertical strip
// of frames H / N pixels tall, frame 1 at the top.
struct IBitmap
{
  void* mData = nullptr;
  int W = 0, H = 0, N = 1;

  IBitmap() = default;
  IBitmap(void* data, int w, int h, int n = 1) : mData(data), W(w), H(h), N(n) {}

  // Height of one frame.
  int FrameHeight() const { return N > 1 ? H / N : H; }
};

// How a drawing operation combines its source with the surface. A 32-bit value; any
// value not listed behaves as kBlendNormal.
enum EBlendMethod : int
{
  kBlendNormal = 0,  // copy, honouring the source's alpha
  kBlendReplace = 1, // copy, ignoring the source's alpha
  kBlendAdd = 2,     // add, honouring alpha
  kBlendDodge = 3    // colour dodge, honouring alpha
};

// A blend method and a weight (0 to 1) scaling the source's contribution. Where an
// operation takes a pointer to one, null means kBlendNormal at weight 1.
struct IChannelBlend
{
  EBlendMethod mMethod = kBlendNormal;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(EBlendMethod method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// Mouse buttons and modifier keys held during an event.
struct IMouseMod
{
  bool L = false; // left button
  bool R = false; // right button
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt (option)

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false) : L(l), R(r), S(s), C(c), A(a) {}
};

// The axis along which knobs, faders and radio buttons move; any value other than
// kHorizontal counts as vertical.
enum EDirection : int
{
  kVertical = 0,
  kHorizontal = 1
};
