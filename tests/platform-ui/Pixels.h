#pragma once

// Reading and checking 32-bit pixels stored as bytes A, R, G, B, first row first.

#include <CoreGraphics/CoreGraphics.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

inline uint32_t PixelAt(const void* base, size_t rowBytes, int x, int row)
{
  const unsigned char* p = static_cast<const unsigned char*>(base) + row * rowBytes + x * 4;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The pixel (x, row) of a bitmap context, as 0xAARRGGBB.
inline uint32_t PixelAt(CGContextRef c, int x, int row)
{
  return PixelAt(CGBitmapContextGetData(c), CGBitmapContextGetBytesPerRow(c), x, row);
}

struct PixelIs
{
  int x, y;
  uint32_t argb;
};

// Checks each row of a table against what `at(x, y)` reads, naming the failing row.
template <typename At>
void ExpectPixels(At at, std::initializer_list<PixelIs> table)
{
  for (const PixelIs& p : table) EXPECT_EQ(at(p.x, p.y), p.argb) << "at (" << p.x << ", " << p.y << ")";
}
