#include "BitmapStorage.h"
#include "EditorTestSupport.h"
#include "raster_png_write.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
// A plug-in with an attached (and so prepared) editor of w x h.
struct Surface
{
  EditorPlug plug;
  TestEditor* ed;
  Surface(int w, int h) : ed(new TestEditor(&plug, w, h)) { plug.AttachGraphics(ed); }
  RAS_pixel Word(int x, int y)
  {
    return static_cast<RAS_pixel*>(ed->GetData())[y * ed->GetDrawBitmap()->getRowSpan() + x];
  }
};

// Registers a w x h image whose pixel (x, y) has red x and green y.
int RegisterCoordinates(int w, int h)
{
  return RegisterImage([w, h]() {
    RAS_MemBitmap* bitmap = new RAS_MemBitmap(w, h, 4);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        bitmap->getBits()[y * bitmap->getRowSpan() + x] = RAS_RGBA(x, y, 0, 255);
      }
    }
    return bitmap;
  });
}
} // namespace

TEST(IGraphicsRaster, ColoursArePackedAlphaFirstAndBlendMethodsBecomeRasterModesAndWeights)
{
  Surface s(20, 10);
  IColor c(255, 1, 2, 3);
  IChannelBlend replaceAll(kBlendReplace);
  IRECT r(2, 3, 6, 5);
  EXPECT_TRUE(s.ed->FillIRect(&c, &r, &replaceAll));
  s.ed->ExpectPixels({{2, 3, c}, {5, 4, c}});
  EXPECT_EQ(s.Word(5, 4), 0x030201FFu);
  s.ed->ExpectPixels({{6, 4, COLOR_TRANSPARENT}, {-1, 0, COLOR_TRANSPARENT}});
  IColor wide(0x1FF, 0x101, 0x102, 0x1003);  // only the low byte of each component is kept
  EXPECT_EQ(IGraphicsRaster::PackColor(&wide), 0x030201FFu);

  struct Case
  {
    const IChannelBlend* blend;
    int mode;
    float weight;
  };
  IChannelBlend normal(kBlendNormal, 0.5f), replace(kBlendReplace, 0.75f), add(kBlendAdd, 0.25f),
      dodge(kBlendDodge, 1.0f), unknown(static_cast<EBlendMethod>(9), 0.3f);
  const Case cases[] = {{nullptr, 0x10000, 1.0f}, {&normal, 0x10000, 0.5f},  {&replace, 0, 0.75f},
                        {&add, 0x10001, 0.25f},   {&dodge, 0x10002, 1.0f}, {&unknown, 0x10000, 0.3f}};
  for (const Case& c : cases) {
    int mode = -1;
    float weight = -1.0f;
    IGraphicsRaster::BlendToMode(c.blend, &mode, &weight);
    EXPECT_EQ(mode, c.mode);
    EXPECT_EQ(weight, c.weight);
  }
  // adding saturates per channel
  IColor more(255, 50, 200, 0);
  IChannelBlend addAll(kBlendAdd, 1.0f);
  c = IColor(255, 100, 100, 100);
  s.ed->FillIRect(&c, &r, &replaceAll);
  s.ed->FillIRect(&more, &r, &addAll);
  EXPECT_EQ(s.ed->GetPoint(3, 3), IColor(255, 150, 255, 100));
}

TEST(IGraphicsRaster, BitmapCopiesAreClippedToTheDrawRectangleFromTheMatchingSourcePart)
{
  Surface s(40, 30);
  IBitmap coords = s.ed->LoadIBitmap(RegisterCoordinates(8, 16), "coords.png", 2);
  s.ed->SetDrawRECT(IRECT(10, 10, 20, 20));

  // straddles the right and top edges of the draw rectangle; source frame 2 starts at row 8
  IRECT dest(16, 6, 24, 14);
  s.ed->DrawBitmap(&coords, &dest, 2, nullptr);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      bool inside = x >= 16 && x < 20 && y >= 10 && y < 14;
      IColor expected = inside ? IColor(255, x - 16, y - 6 + 8, 0) : COLOR_TRANSPARENT;
      EXPECT_EQ(s.ed->GetPoint(x, y), expected) << x << "," << y;
    }
  }

  // wholly outside: nothing
  IRECT away(25, 25, 33, 33);
  s.ed->DrawBitmap(&coords, &away, 1, nullptr);
  EXPECT_EQ(s.ed->GetPoint(26, 26), COLOR_TRANSPARENT);
  // straddling the left and bottom edges, from an explicit source position
  IRECT low(6, 16, 14, 24);
  s.ed->DrawBitmap(&coords, &low, 0, 3, nullptr);
  s.ed->ExpectPixels({{10, 16, IColor(255, 4, 3, 0)}, {13, 19, IColor(255, 7, 6, 0)}});
  s.ed->ExpectPixels({{9, 16, COLOR_TRANSPARENT}, {10, 20, COLOR_TRANSPARENT}});
}

TEST(IGraphicsRaster, DirectLinesAreClampedToTheSurfaceAndStoredWithoutBlending)
{
  Surface s(12, 8);
  s.ed->SetDrawRECT(IRECT(0, 0, 2, 2));  // direct lines ignore the draw rectangle
  IColor clear(0, 9, 8, 7);  // alpha 0: a blended store would leave nothing
  s.ed->DrawHorizontalLine(&clear, 3, -5, 12 + 5);
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(s.ed->GetPoint(x, 3), clear) << x;
  }
  EXPECT_EQ(s.ed->GetPoint(0, 2), COLOR_TRANSPARENT);

  IColor red = COLOR_RED;
  s.ed->DrawHorizontalLine(&red, 50, 4, 6);  // beyond the bottom: the last row
  s.ed->ExpectPixels({{4, 7, red}, {6, 7, red}, {7, 7, COLOR_TRANSPARENT}});
  s.ed->DrawHorizontalLine(&red, 0, 6, 4);
  EXPECT_EQ(s.ed->GetPoint(5, 0), COLOR_TRANSPARENT);

  IColor blue = COLOR_BLUE;
  s.ed->DrawVerticalLine(&blue, 5, 6, 2);  // first end beyond the second: nothing
  for (int y = 0; y < 8; ++y) {
    EXPECT_NE(s.ed->GetPoint(5, y), blue) << y;
  }
  s.ed->DrawVerticalLine(&blue, -4, -10, 1);
  s.ed->DrawVerticalLine(&blue, 40, 6, 40);
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(s.ed->GetPoint(0, y) == blue, y <= 1) << y;
    EXPECT_EQ(s.ed->GetPoint(11, y) == blue, y >= 6) << y;
  }
}

TEST(IGraphicsRaster, PointsLinesAndShapesLandWhereTheirCoordinatesSay)
{
  Surface s(30, 30);
  IColor white = COLOR_WHITE;
  IChannelBlend replace(kBlendReplace);

  s.ed->DrawPoint(&white, 2.4f, 3.6f, &replace);
  s.ed->ExpectPixels({{2, 4, white}, {2, 3, COLOR_TRANSPARENT}});

  IColor clear(0, 1, 2, 3);
  s.ed->ForcePixel(&clear, 7, 7);
  EXPECT_EQ(s.ed->GetPoint(7, 7), clear);
  s.ed->ForcePixel(&white, 30, 0);  // outside: ignored
  s.ed->ForcePixel(&white, -1, 5);

  s.ed->DrawLine(&white, 1.9f, 10.2f, 5.7f, 10.9f, &replace);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(s.ed->GetPoint(x, 10) == white, x >= 1 && x <= 5) << x;
  }

  IColor green = COLOR_GREEN;
  s.ed->DrawCircle(&green, 20.0f, 20.0f, 6.0f, &replace);
  s.ed->ExpectPixels({{20, 14, green}, {26, 20, green}, {14, 20, green}, {20, 20, COLOR_TRANSPARENT}});

  IColor red = COLOR_RED;
  s.ed->DrawArc(&red, 20.0f, 20.0f, 6.0f, 0.0f, 3.14159265f, &replace);
  s.ed->ExpectPixels({{26, 20, red}, {14, 20, green}});
}

TEST(IGraphicsRaster, EachImageIsLoadedOncePerIDAcrossEditors)
{
  int ID = RegisterStrip(6, 4, 3);
  int before = BitmapStorage::Instance().Count();
  Surface a(10, 10);
  Surface b(10, 10);
  IBitmap first = a.ed->LoadIBitmap(ID, "knob.png", 3);
  IBitmap second = b.ed->LoadIBitmap(ID, "another-name.png", 5);
  EXPECT_EQ(TestEditor::sLoads[ID], 1);
  EXPECT_EQ(first.mData, second.mData);
  EXPECT_EQ(first.W, 6);
  EXPECT_EQ(first.H, 12);
  EXPECT_EQ(first.N, 3);
  EXPECT_EQ(second.N, 5);
  EXPECT_EQ(BitmapStorage::Instance().Count(), before + 1);
  EXPECT_EQ(BitmapStorage::Instance().Find(ID), first.mData);
}

TEST(IGraphicsRaster, ScaledCroppedAndRetainedBitmapsBelongToTheCacheUntilReleased)
{
  Surface s(10, 10);
  BitmapStorage& cache = BitmapStorage::Instance();
  int before = cache.Count();

  IBitmap strip = s.ed->LoadIBitmap(RegisterCoordinates(8, 12), "coords.png", 2);
  IRECT area(2, 6, 6, 12);
  IBitmap cropped = s.ed->CropBitmap(&strip, &area);
  EXPECT_EQ(cropped.W, 4);
  EXPECT_EQ(cropped.H, 6);
  EXPECT_EQ(cropped.N, 2);
  RAS_IBitmap* c = static_cast<RAS_IBitmap*>(cropped.mData);
  EXPECT_EQ(RAS_GetPixel(c, 0, 0), RAS_RGBA(2, 6, 0, 255));
  EXPECT_EQ(RAS_GetPixel(c, 3, 5), RAS_RGBA(5, 11, 0, 255));

  IBitmap solid = s.ed->LoadIBitmap(RegisterSolid(4, 4, COLOR_ORANGE), "orange.png", 1);
  IBitmap scaled = s.ed->ScaleBitmap(&solid, 9, 7);
  EXPECT_EQ(scaled.W, 9);
  EXPECT_EQ(scaled.H, 7);
  EXPECT_EQ(scaled.N, 1);
  RAS_IBitmap* sc = static_cast<RAS_IBitmap*>(scaled.mData);
  EXPECT_EQ(IGraphicsRaster::UnpackColor(RAS_GetPixel(sc, 4, 3)), COLOR_ORANGE);
  EXPECT_EQ(cache.Count(), before + 4);
  EXPECT_NE(cache.Find(-1), nullptr);

  IBitmap own(MakeSolid(2, 2, COLOR_RED), 2, 2, 1);
  s.ed->RetainBitmap(&own);
  EXPECT_EQ(cache.Count(), before + 5);
  s.ed->ReleaseBitmap(&own);
  s.ed->ReleaseBitmap(&scaled);
  s.ed->ReleaseBitmap(&cropped);
  EXPECT_EQ(cache.Count(), before + 2);
  // a bitmap the cache does not hold is left alone
  RAS_MemBitmap stranger(2, 2, 4);
  cache.Remove(&stranger);
  EXPECT_EQ(cache.Count(), before + 2);
}

TEST(IGraphicsRaster, ImagesWithoutAMakerComeFromPNGFilesInTheImageFolder)
{
  std::string folder = std::string(KELVO_BINARY_DIR) + "/editor-images";
  mkdir(folder.c_str(), 0755);
  RAS_IBitmap* strip = MakeStrip(5, 3, 4);
  ASSERT_TRUE(RAS_WritePNG((folder + "/strip.png").c_str(), strip));
  delete strip;

  TestEditor::sImageFolder = folder;
  Surface s(10, 20);
  int ID = RegisterStrip(1, 1, 1);
  TestEditor::sImages.erase(ID);  // an ID of its own, without a maker
  IBitmap loaded = s.ed->LoadIBitmap(ID, "strip.png", 4);
  TestEditor::sImageFolder.clear();
  EXPECT_EQ(loaded.W, 5);
  EXPECT_EQ(loaded.H, 12);
  s.ed->SetDrawRECT(IRECT(0, 0, 10, 20));
  IRECT dest(0, 0, 5, 3);
  s.ed->DrawBitmap(&loaded, &dest, 3, nullptr);
  EXPECT_EQ(s.ed->GetPoint(4, 2), FrameColor(3));
}

TEST(IGraphicsRasterDeathTest, MissingImageStopsTheProcessWithAFailedAssertion)
{
  EXPECT_DEATH(
      {
        Surface s(10, 10);
        s.ed->LoadIBitmap(987654, "img/missing.png", 1);
      },
      "^framework/IGraphicsRaster:[0-9]+: failed assertion `imgResourceFound'");
}

TEST(IGraphicsRaster, RotatedMaskOfOddWidthIsSampledHalfAPixelAside)
{
  Surface s(40, 20);
  // masks covering only column 4
  auto columnMask = [](int w) {
    return [w]() {
      RAS_IBitmap* m = MakeSolid(w, 8, COLOR_TRANSPARENT);
      RAS_FillRect(m, 4, 0, 1, 8, RAS_RGBA(0, 0, 0, 255), 1.0f, 0);
      return m;
    };
  };
  IBitmap oddBase = s.ed->LoadIBitmap(RegisterSolid(9, 8, COLOR_GREEN), "odd.png", 1);
  IBitmap evenBase = s.ed->LoadIBitmap(RegisterSolid(8, 8, COLOR_GREEN), "even.png", 1);
  IBitmap oddMask = s.ed->LoadIBitmap(RegisterImage(columnMask(9)), "oddmask.png", 1);
  IBitmap evenMask = s.ed->LoadIBitmap(RegisterImage(columnMask(8)), "evenmask.png", 1);
  IBitmap top = s.ed->LoadIBitmap(RegisterSolid(9, 8, COLOR_TRANSPARENT), "top.png", 1);
  s.ed->SetDrawRECT(IRECT(0, 0, 40, 20));

  // even width, unturned: the column comes through exactly
  s.ed->DrawRotatedMask(&evenBase, &evenMask, &top, 0, 0, 0.0, nullptr);
  s.ed->ExpectPixels({{4, 3, COLOR_GREEN}, {3, 3, COLOR_TRANSPARENT}, {5, 3, COLOR_TRANSPARENT}});

  // odd width, unturned: the centre moves half a pixel, sharing the column between two
  s.ed->DrawRotatedMask(&oddBase, &oddMask, &top, 20, 0, 0.0, nullptr);
  IColor left = s.ed->GetPoint(24, 3);
  IColor right = s.ed->GetPoint(25, 3);
  EXPECT_GT(left.A, 0);
  EXPECT_LT(left.A, 255);
  EXPECT_EQ(left, right);
  s.ed->ExpectPixels({{23, 3, COLOR_TRANSPARENT}, {26, 3, COLOR_TRANSPARENT}});
}
