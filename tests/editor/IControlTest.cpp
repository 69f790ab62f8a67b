#include "EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
const double kPi = 3.14159265358979323846;

// An editor of 60 x 60 over a plain background, driven as the platform would.
struct ControlEditor
{
  EditorPlug plug;
  TestEditor* ed;
  IColor bgColor = IColor(255, 10, 20, 30);
  IMouseMod left{true};
  IMouseMod right{false, true};
  IMouseMod shift{true, false, true};

  ControlEditor() : ed(new TestEditor(&plug, 60, 60)) { ed->AttachBackground(RegisterSolid(60, 60, bgColor), "bg.png"); }

  template <class T> T* Add(T* control)
  {
    ed->AttachControl(control);
    return control;
  }
  IBitmap Load(int ID, int n = 1) { return ed->LoadIBitmap(ID, "image.png", n); }
  void Attach()
  {
    plug.AttachGraphics(ed);
    ed->PaintAll();
  }
  void Click(int x, int y, IMouseMod* mod = nullptr)
  {
    ed->OnMouseDown(x, y, mod ? mod : &left);
    ed->OnMouseUp(x, y, mod ? mod : &left);
  }
  // Pushes a value into control idx and lets the timer paint it.
  void Show(int idx, double value)
  {
    ed->SetControlFromPlug(idx, value);
    ed->Settle();
  }
  IColor Px(int x, int y) { return ed->Pixel(x, y); }
};
} // namespace

TEST(ISwitchControl, SwitchesStepThroughTheirFramesAndWrapContactsSpringBackInvisibleOnesPaintNothing)
{
  ControlEditor ce;
  IBitmap two = ce.Load(RegisterStrip(8, 6, 2), 2), three = ce.Load(RegisterStrip(8, 6, 3), 3);
  IBitmap one = ce.Load(RegisterStrip(8, 6, 1));
  ISwitchControl* sw2 = ce.Add(new ISwitchControl(&ce.plug, 10, 10, kOnOff, &two));
  ISwitchControl* sw3 = ce.Add(new ISwitchControl(&ce.plug, 30, 10, -1, &three));
  ISwitchControl* sw1 = ce.Add(new ISwitchControl(&ce.plug, 10, 30, -1, &one));
  IContactControl* contact = ce.Add(new IContactControl(&ce.plug, 40, 40, kMode, &two));
  IRECT invisibleRect(30, 30, 40, 40);
  IInvisibleSwitchControl* invisible = ce.Add(new IInvisibleSwitchControl(&ce.plug, &invisibleRect, kCutoff));
  EXPECT_EQ(*sw2->GetRECT(), IRECT(10, 10, 18, 16));
  ce.Attach();
  EXPECT_EQ(ce.Px(12, 12), FrameColor(1));

  std::vector<double> seen2, seen3, seen1;
  for (int i = 0; i < 3; ++i) {
    ce.Click(12, 12);
    ce.Click(32, 12);
    ce.Click(12, 32);
    seen2.push_back(sw2->GetValue());
    seen3.push_back(sw3->GetValue());
    seen1.push_back(sw1->GetValue());
    if (i == 0) {
      ce.ed->Settle();
      ce.ed->ExpectPixels({{12, 12, FrameColor(2)}, {35, 15, FrameColor(2)}});
      EXPECT_EQ(ce.plug.GetParam(kOnOff)->Value(), 1.0);
    }
  }
  EXPECT_EQ(seen2, std::vector<double>({1.0, 0.0, 1.0}));
  EXPECT_EQ(seen3, std::vector<double>({0.5, 1.0, 0.0}));
  EXPECT_EQ(seen1, std::vector<double>({1.0, 0.0, 1.0}));
  ce.ed->Settle();
  ce.ed->ExpectPixels({{32, 12, FrameColor(1)}, {12, 12, FrameColor(2)}});
  EXPECT_EQ(ce.plug.mBegun, std::vector<int>({kOnOff, kOnOff, kOnOff}));
  EXPECT_EQ(ce.plug.mEnded, std::vector<int>({kOnOff, kOnOff, kOnOff}));

  // a right click asks for a typed value instead of stepping
  ce.Click(12, 12, &ce.right);
  EXPECT_EQ(sw2->GetValue(), 1.0);
  ASSERT_EQ(ce.ed->mPrompts.size(), 1u);
  EXPECT_EQ(ce.ed->mPrompts[0].first, sw2);
  EXPECT_EQ(ce.ed->mPrompts[0].second, ce.plug.GetParam(kOnOff));

  // the contact is on while pressed, wherever the release happens
  ce.ed->OnMouseDown(42, 42, &ce.left);
  EXPECT_EQ(contact->GetValue(), 1.0);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(42, 42), FrameColor(2));
  ce.ed->OnMouseUp(10, 50, &ce.left);
  EXPECT_EQ(contact->GetValue(), 0.0);
  EXPECT_EQ(ce.plug.GetParam(kMode)->Value(), 0.0);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(42, 42), FrameColor(1));

  // the invisible switch toggles with either button and asks for nothing
  size_t informed = ce.plug.mInformed.size();
  ce.Click(35, 35);
  EXPECT_EQ(invisible->GetValue(), 1.0);
  ce.Click(35, 35, &ce.right);
  EXPECT_EQ(invisible->GetValue(), 0.0);
  EXPECT_EQ(ce.ed->mPrompts.size(), 1u);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(35, 35), ce.bgColor);
  EXPECT_EQ(ce.plug.mInformed.size(), informed + 2);
}

TEST(IBitmapControl, HiddenOverlayIsHitOnlyInItsTargetAreaAndGrayedOutBitmapsPaintAtAQuarterWeight)
{
  ControlEditor ce;
  IColor credits(255, 200, 100, 50);
  IBitmap image = ce.Load(RegisterSolid(30, 20, credits)), white = ce.Load(RegisterSolid(10, 10, COLOR_WHITE));
  IRECT area(40, 40, 50, 50);
  IBitmapOverlayControl* overlay = ce.Add(new IBitmapOverlayControl(&ce.plug, 1, 1, &image, &area));
  ce.Add(new IBitmapControl(&ce.plug, 30, 30, kGain, &white));
  ce.Attach();
  EXPECT_EQ(ce.Px(5, 5), ce.bgColor);
  EXPECT_EQ(ce.ed->GetMouseControlIdx(5, 5), 0);
  EXPECT_EQ(ce.ed->GetMouseControlIdx(45, 45), 1);

  ce.Click(45, 45);
  EXPECT_EQ(overlay->GetValue(), 1.0);
  ce.ed->Settle();
  ce.ed->ExpectPixels({{1, 1, credits}, {30, 20, credits}, {31, 21, ce.bgColor}});
  // shown, it covers what lies below and no longer answers in the target area
  EXPECT_EQ(ce.ed->GetMouseControlIdx(5, 5), 1);
  EXPECT_EQ(ce.ed->GetMouseControlIdx(45, 45), 0);

  ce.Click(5, 5);
  EXPECT_EQ(overlay->GetValue(), 0.0);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(5, 5), ce.bgColor);
  EXPECT_EQ(ce.ed->GetMouseControlIdx(5, 5), 0);

  EXPECT_EQ(ce.Px(35, 35), COLOR_WHITE);
  ce.ed->GrayOutControl(kGain, true);
  ce.ed->Settle();
  // over the background: 255 + (background - 255) * (256 - 64) / 256
  auto quarter = [](int d) { return 255 + (d - 255) * 192 / 256; };
  EXPECT_EQ(ce.Px(35, 35), IColor(255, quarter(ce.bgColor.R), quarter(ce.bgColor.G), quarter(ce.bgColor.B)));
  ce.ed->GrayOutControl(kGain, false);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(35, 35), COLOR_WHITE);
}

TEST(IRadioButtonsControl, ButtonsAreLaidOutFromTheTopLeftWithEqualGaps)
{
  EditorPlug plug;
  IBitmap led(nullptr, 6, 8, 2);
  // a direction other than horizontal lays out vertically; packed buttons sit without gaps
  const struct { IRECT area; int n; EDirection direction; int button; IRECT expected; } cases[] = {
      {IRECT(10, 10, 40, 14), 4, kHorizontal, 0, IRECT(10, 10, 16, 14)},
      {IRECT(10, 10, 40, 14), 4, kHorizontal, 1, IRECT(18, 10, 24, 14)},
      {IRECT(10, 10, 40, 14), 4, kHorizontal, 3, IRECT(34, 10, 40, 14)},
      {IRECT(0, 0, 6, 30), 3, kVertical, 0, IRECT(0, 0, 6, 4)},
      {IRECT(0, 0, 6, 30), 3, kVertical, 1, IRECT(0, 13, 6, 17)},
      {IRECT(0, 0, 6, 30), 3, kVertical, 2, IRECT(0, 26, 6, 30)},
      {IRECT(0, 0, 6, 30), 3, static_cast<EDirection>(7), 2, IRECT(0, 26, 6, 30)},
      {IRECT(0, 0, 24, 4), 4, kHorizontal, 2, IRECT(12, 0, 18, 4)}};
  for (const auto& c : cases) {
    IRECT area = c.area;
    IRadioButtonsControl radio(&plug, &area, kMode, c.n, &led, c.direction);
    ASSERT_EQ(radio.NButtons(), c.n);
    EXPECT_EQ(*radio.GetButtonRECT(c.button), c.expected) << c.n << " buttons, button " << c.button;
  }
}

TEST(IRadioButtonsControl, ClickPicksTheButtonAndPaintsItOn)
{
  ControlEditor ce;
  IBitmap led = ce.Load(RegisterStrip(6, 4, 2), 2);
  IRECT r(10, 10, 40, 14);
  IRadioButtonsControl* radio = ce.Add(new IRadioButtonsControl(&ce.plug, &r, kMode, 4, &led, kHorizontal));
  ce.Attach();
  ce.ed->ExpectPixels({{11, 11, FrameColor(2)}, {19, 11, FrameColor(1)}});

  ce.Click(27, 12);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
  EXPECT_EQ(ce.plug.GetParam(kMode)->Value(), 2.0);
  ce.ed->Settle();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ce.Px(11 + 8 * i, 12), FrameColor(i == 2 ? 2 : 1)) << i;
  }
  EXPECT_EQ(ce.Px(16, 12), ce.bgColor);  // the gaps are background

  // between two buttons: unchanged, but sent to the plug-in all the same
  size_t informed = ce.plug.mInformed.size();
  ce.Click(17, 12);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 2.0 / 3.0);
  EXPECT_EQ(ce.plug.mInformed.size(), informed + 1);
  EXPECT_DOUBLE_EQ(ce.plug.mInformed.back().second, 2.0 / 3.0);

  ce.Click(39, 13);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  ce.Click(11, 11, &ce.right);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  EXPECT_EQ(ce.ed->mPrompts.size(), 1u);
}

TEST(IFaderControl, HandleFollowsThePointerAndStaysWithinItsTravel)
{
  ControlEditor ce;
  IBitmap handle = ce.Load(RegisterStrip(8, 10, 1));
  IFaderControl* fader = ce.Add(new IFaderControl(&ce.plug, 10, 5, 50, kGain, &handle, kVertical));
  EXPECT_EQ(*fader->GetRECT(), IRECT(10, 5, 18, 55));
  EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(10, 5, 18, 15));
  EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(10, 45, 18, 55));
  EXPECT_EQ(fader->GetHandleRECT(0.51), IRECT(10, 24, 18, 34));
  ce.Attach();
  // the gain parameter starts at 0 dB, halfway
  EXPECT_EQ(fader->GetHandleRECT(), IRECT(10, 25, 18, 35));
  ce.ed->ExpectPixels({{12, 25, FrameColor(1)}, {12, 24, ce.bgColor}});

  ce.ed->OnMouseDown(12, 20, &ce.left);  // handle centre at 20: 1 - (20 - 5 - 5) / 40
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.75);
  ce.ed->OnMouseDrag(40, 0, &ce.left);  // above the top: 1.25, kept at 1
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(ce.plug.GetParam(kGain)->Value(), 12.0);
  ce.ed->OnMouseDrag(40, 45, &ce.left);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.125);
  ce.ed->OnMouseUp(40, 45, &ce.left);
  ce.ed->Settle();
  ce.ed->ExpectPixels({{12, 40, FrameColor(1)}, {17, 49, FrameColor(1)}, {12, 39, ce.bgColor}, {12, 25, ce.bgColor}});
  EXPECT_EQ(ce.plug.mBegun, std::vector<int>({kGain}));
  EXPECT_EQ(ce.plug.mEnded, std::vector<int>({kGain}));

  IFaderControl across(&ce.plug, 0, 50, 40, kFreq, &handle, kHorizontal);
  EXPECT_EQ(*across.GetRECT(), IRECT(0, 50, 40, 60));
  EXPECT_EQ(across.GetHandleRECT(0.5), IRECT(16, 50, 24, 60));
  across.SnapToMouse(20, 55);  // (20 - 0 - 4) / 32
  EXPECT_DOUBLE_EQ(across.GetValue(), 0.5);
  across.SnapToMouse(-10, 55);
  EXPECT_DOUBLE_EQ(across.GetValue(), 0.0);
}

TEST(IKnobControl, DragChangesTheValueByTheDistanceOverSizeAndGearing)
{
  ControlEditor ce;
  IColor black = COLOR_BLACK;
  IRECT tall(0, 0, 20, 40), wide(0, 40, 50, 60);
  IKnobLineControl* knob = ce.Add(new IKnobLineControl(&ce.plug, &tall, kGain, &black));
  IKnobLineControl* slider =
      ce.Add(new IKnobLineControl(&ce.plug, &wide, kFreq, &black, 0.0, 0.0, 0.0, kPi, kHorizontal, 2.0));
  ce.Attach();
  ce.plug.mInformed.clear();

  ce.ed->OnMouseDown(10, 30, &ce.left);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);  // a press alone does not move a knob
  ce.ed->OnMouseDrag(10, 20, &ce.left);  // up by 10: 10 / 40 / 4
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5625);
  ce.ed->OnMouseDrag(10, 10, &ce.shift);  // a tenth of that
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.56875);
  ce.ed->OnMouseDrag(10, -200, &ce.left);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
  ce.ed->OnMouseDrag(10, -190, &ce.left);  // no overshoot was stored: the way back starts at 1
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.9375);
  ce.ed->OnMouseUp(10, -190, &ce.left);
  EXPECT_EQ(ce.plug.mInformed.size(), 4u);
  EXPECT_DOUBLE_EQ(ce.plug.Norm(kGain), 0.9375);

  double before = slider->GetValue();
  ce.ed->OnMouseDown(5, 50, &ce.left);
  ce.ed->OnMouseDrag(15, 0, &ce.left);  // right by 10: 10 / 50 / 2; vertical moves do nothing
  ce.ed->OnMouseUp(15, 0, &ce.left);
  EXPECT_NEAR(slider->GetValue(), before + 0.1, 1e-12);
}

TEST(IKnobMultiControl, ShowsTheFrameNearestItsValue)
{
  ControlEditor ce;
  IBitmap strip = ce.Load(RegisterStrip(10, 12, 5), 5);
  IKnobMultiControl* knob = ce.Add(new IKnobMultiControl(&ce.plug, 20, 20, -1, &strip));
  EXPECT_EQ(*knob->GetRECT(), IRECT(20, 20, 30, 32));
  ce.Attach();
  const struct { double value; int frame; } cases[] = {{0.0, 1},   {1.0, 5},   {0.5, 3},  {0.37, 2},
                                                       {0.374, 2}, {0.376, 3}, {0.99, 5}};
  for (const auto& c : cases) {
    ce.Show(1, c.value);
    SCOPED_TRACE(c.value);
    ce.ed->ExpectPixels({{20, 20, FrameColor(c.frame)}, {29, 31, FrameColor(c.frame)}});
  }
  EXPECT_EQ(ce.Px(30, 32), ce.bgColor);
}

TEST(IKnobLineControl, LinePointsUpAtTheMinimumAndTurnsClockwise)
{
  ControlEditor ce;
  IColor white = COLOR_WHITE;
  IRECT r(0, 0, 21, 21);
  IKnobLineControl* knob = ce.Add(new IKnobLineControl(&ce.plug, &r, -1, &white, 0.0, 0.0, 0.0, kPi));
  ce.Attach();
  ce.Show(1, 0.0);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 21; ++x) {
      EXPECT_EQ(ce.Px(x, y) == white, x == 10 && y <= 10) << x << "," << y;
    }
  }
  // a half turn of the range points right, from the centre to the outer radius (half the width)
  ce.Show(1, 0.5);
  for (int x = 0; x < 30; ++x) {
    EXPECT_EQ(ce.Px(x, 10) == white, x >= 10 && x <= 21) << x;
  }
  EXPECT_EQ(ce.Px(10, 5), ce.bgColor);
  EXPECT_EQ(knob->GetBlend()->mMethod, kBlendReplace);
}

TEST(IKnobRotaterControl, ImageTurnsAboutItsCentreAndARotatingMaskShowsTheBaseWhereItCoversIt)
{
  ControlEditor ce;
  IBitmap image = ce.Load(RegisterImage([]() {
    RAS_IBitmap* b = MakeSolid(10, 10, COLOR_RED);  // red above, blue below
    IColor blue = COLOR_BLUE;
    RAS_FillRect(b, 0, 5, 10, 5, IGraphicsRaster::PackColor(&blue), 1.0f, 0);
    return b;
  }));
  IKnobRotaterControl* dial = ce.Add(new IKnobRotaterControl(&ce.plug, 20, 20, -1, &image, 0.0, kPi));
  EXPECT_EQ(*dial->GetRECT(), IRECT(20, 20, 30, 30));
  IBitmap base = ce.Load(RegisterSolid(8, 8, COLOR_GREEN)), top = ce.Load(RegisterSolid(8, 8, COLOR_TRANSPARENT));
  IBitmap mask = ce.Load(RegisterImage([]() {
    RAS_IBitmap* m = MakeSolid(8, 8, COLOR_TRANSPARENT);  // covering the left half
    RAS_FillRect(m, 0, 0, 4, 8, RAS_RGBA(0, 0, 0, 255), 1.0f, 0);
    return m;
  }));
  ce.Add(new IKnobRotatingMaskControl(&ce.plug, 40, 40, -1, &base, &mask, &top, 0.0, 180.0));
  ce.Attach();
  ce.Show(1, 0.0);
  ce.Show(2, 0.0);
  ce.ed->ExpectPixels({{25, 21, COLOR_RED}, {25, 28, COLOR_BLUE}, {41, 44, COLOR_GREEN}, {46, 44, ce.bgColor}});
  ce.Show(1, 1.0);
  ce.Show(2, 1.0);
  ce.ed->ExpectPixels({{25, 21, COLOR_BLUE}, {25, 28, COLOR_RED}, {41, 44, ce.bgColor}, {46, 44, COLOR_GREEN}});
}

TEST(ITextControl, TextPaintsOnlyWhenNotEmptyAndCaptionsShowTheDisplayTextAndTheUnitLabel)
{
  ControlEditor ce;
  IText style(13);
  IRECT r0(0, 40, 40, 50), r1(0, 0, 40, 10), r2(0, 10, 40, 20), r3(0, 20, 40, 30);
  ITextControl* text = ce.Add(new ITextControl(&ce.plug, &r0, &style));
  ce.Add(new ICaptionControl(&ce.plug, &r1, kCutoff, &style, true));
  ce.Add(new ICaptionControl(&ce.plug, &r2, kGain, &style, true));
  ce.Add(new ICaptionControl(&ce.plug, &r3, kGain, &style, false));
  ce.plug.GetParam(kGain)->Set(-6.0);
  ce.Attach();
  ASSERT_EQ(ce.ed->mTexts.size(), 3u);  // the empty text paints nothing
  EXPECT_EQ(ce.ed->mTexts[0].first, "OFF ");
  EXPECT_EQ(ce.ed->mTexts[1].first, "-6.0 dB");
  EXPECT_EQ(ce.ed->mTexts[2].first, "-6.0");

  ce.ed->Settle();
  ce.ed->mTexts.clear();
  text->SetTextFromPlug("Kelvo");
  EXPECT_TRUE(text->IsDirty());
  ce.ed->Settle();
  ASSERT_EQ(ce.ed->mTexts.size(), 1u);
  EXPECT_EQ(ce.ed->mTexts[0], std::make_pair(std::string("Kelvo"), r0));
  text->SetTextFromPlug("Kelvo");
  EXPECT_FALSE(text->IsDirty());

  ce.ed->mTexts.clear();
  ce.plug.GetParam(kCutoff)->Set(120.0);
  ce.ed->SetParameterFromPlug(kCutoff, 120.0, false);
  ce.ed->Settle();
  // the caption below is touched by the repainted rectangle and repainted as well
  ASSERT_GE(ce.ed->mTexts.size(), 2u);
  EXPECT_EQ(ce.ed->mTexts[0].first, "120 Hz");
  EXPECT_EQ(ce.ed->mTexts[1].first, "-6.0 dB");
}

TEST(IURLControl, LinkFallsBackToTheBackupWhenTheFirstCannotBeOpenedAndAFileChooserAsksForAFile)
{
  ControlEditor ce;
  IRECT r1(0, 0, 10, 10), r2(10, 0, 20, 10), r3(20, 0, 30, 10), r(40, 40, 50, 50);
  ce.Add(new IURLControl(&ce.plug, &r1, "http://a.example", "http://b.example", "Visit"));
  ce.Add(new IURLControl(&ce.plug, &r2, "", "http://c.example", nullptr));
  ce.Add(new IURLControl(&ce.plug, &r3, "http://d.example", "", nullptr));
  IBitmap image = ce.Load(RegisterSolid(10, 10, COLOR_RED));
  IFileSelectorControl* chooser =
      ce.Add(new IFileSelectorControl(&ce.plug, &r, kOnOff, &image, IGraphics::kFileSave, "/presets", "fxp"));
  ce.Attach();
  ce.ed->Settle();
  typedef std::vector<std::pair<std::string, std::string>> Opened;
  ce.ed->mURLsThatOpen["http://a.example"] = 1;
  ce.Click(5, 5);
  EXPECT_EQ(ce.ed->mOpenedURLs, (Opened{{"http://a.example", "Visit"}}));
  ce.ed->mURLsThatOpen.clear();
  ce.ed->mOpenedURLs.clear();
  ce.Click(5, 5);
  ce.Click(15, 5);
  ce.Click(25, 5);
  EXPECT_EQ(ce.ed->mOpenedURLs, (Opened{{"http://a.example", "Visit"},
                                        {"http://b.example", "Visit"},
                                        {"http://c.example", ""},
                                        {"http://d.example", ""}}));
  ce.ed->ExpectPixels({{5, 5, ce.bgColor}, {45, 45, ce.bgColor}});  // neither paints until chosen

  // a file chooser steps its value and reports dirty once after the choice
  ce.Click(45, 45);
  ASSERT_EQ(ce.ed->mFilePrompts.size(), 1u);
  EXPECT_EQ(ce.ed->mFilePrompts[0].first, IGraphics::kFileSave);
  EXPECT_EQ(ce.ed->mFilePrompts[0].second, "/presets|fxp");
  EXPECT_EQ(chooser->GetState(), IFileSelectorControl::kFSDone);
  EXPECT_EQ(chooser->GetValue(), 1.0);
  EXPECT_EQ(ce.plug.GetParam(kOnOff)->Value(), 1.0);
  BASE_String file;
  chooser->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "chosen.wav");

  // after the paint, the finished choice still reports dirty exactly once
  chooser->SetClean();
  EXPECT_TRUE(chooser->IsDirty());
  EXPECT_EQ(chooser->GetState(), IFileSelectorControl::kFSNone);
  EXPECT_FALSE(chooser->IsDirty());

  ce.Click(45, 45);
  EXPECT_EQ(chooser->GetValue(), 0.0);
  ce.ed->Settle();
  EXPECT_EQ(ce.Px(45, 45), ce.bgColor);
}
