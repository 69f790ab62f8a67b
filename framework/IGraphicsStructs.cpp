#include "IGraphicsStructs.h"

#include <cstring>

IText::IText(int size, const IColor* color, const char* font, EStyle style, EAlign align, int orientation)
  : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR), mStyle(style), mAlign(align), mOrientation(orientation)
{
  strncpy(mFont, font ? font : DEFAULT_FONT, FONT_LEN - 1);
  mFont[FONT_LEN - 1] = '\0';
}
