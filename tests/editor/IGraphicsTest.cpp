#include "EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// A plug-in with an editor (100 x 60 unless told) whose controls are probes; the plug-in
// owns the editor once attached.
struct ProbeEditor
{
  EditorPlug plug;
  TestEditor* ed;
  std::vector<int> log;
  std::vector<ProbeControl*> probes;
  IMouseMod left{true};

  explicit ProbeEditor(int w = 100, int h = 60) : ed(new TestEditor(&plug, w, h)) {}

  ProbeControl* Add(IRECT r, int paramIdx)
  {
    ProbeControl* probe = new ProbeControl(&plug, r, paramIdx, static_cast<int>(probes.size()), &log);
    probes.push_back(probe);
    ed->AttachControl(probe);
    return probe;
  }
  void Attach() { plug.AttachGraphics(ed); }
};
} // namespace

TEST(IRECT, IntersectionUnionAndContainmentTreatEdgesAndEmptyRectanglesAlike)
{
  IRECT a(0, 0, 10, 10), right(10, 0, 20, 10), below(0, 10, 10, 20), empty;
  // true at the other's left or top edge but not the reverse
  EXPECT_TRUE(a.Intersects(&right));
  EXPECT_FALSE(right.Intersects(&a));
  EXPECT_TRUE(a.Intersects(&below));
  EXPECT_FALSE(below.Intersects(&a));
  EXPECT_FALSE(a.Intersects(&empty));
  EXPECT_FALSE(empty.Intersects(&a));

  IRECT inside(2, 3, 4, 5), overlap(5, -5, 15, 5), apart(30, 30, 40, 40);
  EXPECT_EQ(a.Intersect(&inside), inside);
  EXPECT_EQ(a.Intersect(&overlap), IRECT(5, 0, 10, 5));
  EXPECT_TRUE(a.Intersect(&apart).Empty());
  EXPECT_EQ(a.Intersect(&right), IRECT(10, 0, 10, 10));  // touching: a zero-width common part

  IRECT c(1, 2, 5, 6), d(-3, 4, 2, 9);
  EXPECT_EQ(c.Union(&d), IRECT(-3, 2, 5, 9));
  EXPECT_EQ(empty.Union(&c), c);
  EXPECT_EQ(c.Union(&empty), c);
  const struct { int x, y; bool in; } points[] = {{1, 2, true}, {4, 5, true}, {5, 5, false}, {4, 6, false},
                                                   {0, 3, false}};
  for (const auto& p : points) {
    EXPECT_EQ(c.Contains(p.x, p.y), p.in) << p.x << "," << p.y;
  }
  // only all-zero counts as empty; a zero-width rectangle elsewhere is not empty yet
  // contains nothing, and the empty rectangle does not even contain its own corner
  IRECT thin(5, 5, 5, 9);
  EXPECT_FALSE(thin.Empty());
  EXPECT_FALSE(thin.Contains(5, 6));
  EXPECT_FALSE(empty.Contains(0, 0));
}

TEST(IText, NullColourAndFontGiveTheDefaultsAndLongFontNamesAreCut)
{
  IText plain(13);
  EXPECT_STREQ(plain.mFont, "Arial");
  EXPECT_EQ(plain.mColor, DEFAULT_TEXT_COLOR);
  IColor grey(255, 113, 124, 127);
  IText styled(10, &grey, "Helvetica Neue Condensed Black Extra Wide", kStyleBold, kAlignRight, 90);
  EXPECT_EQ(styled.mColor, grey);
  EXPECT_EQ(strlen(styled.mFont), 31u);
}

TEST(IGraphics, EmptyEditorDrawsNothingIsNeverDirtyAndHasAWindowOnlyWhileThePlatformHoldsOne)
{
  ProbeEditor pe(50, 40);
  pe.Attach();
  IRECT r;
  EXPECT_FALSE(pe.ed->IsDirty(&r));
  EXPECT_TRUE(r.Empty());
  EXPECT_TRUE(pe.ed->PaintAll());
  EXPECT_TRUE(pe.ed->mScreenRects.empty());

  int view = 0;
  EXPECT_FALSE(pe.ed->WindowIsOpen());
  EXPECT_EQ(pe.ed->OpenWindow(&view, &view), nullptr);
  EXPECT_FALSE(pe.ed->WindowIsOpen());
  pe.ed->OpenWindow(&view);
  EXPECT_TRUE(pe.ed->WindowIsOpen());
  pe.ed->CloseWindow();
  EXPECT_FALSE(pe.ed->WindowIsOpen());
}

TEST(IGraphics, BackgroundAttachedLastGoesFirstAndKeepsTheOthersInOrder)
{
  ProbeEditor pe;
  EXPECT_EQ(pe.ed->AttachControl(new ProbeControl(&pe.plug, IRECT(0, 0, 5, 5), -1, 0, nullptr)), 0);
  EXPECT_EQ(pe.ed->AttachControl(new ProbeControl(&pe.plug, IRECT(5, 5, 9, 9), -1, 1, nullptr)), 1);
  pe.ed->AttachBackground(RegisterSolid(100, 60, COLOR_GRAY), "bg.png");
  ASSERT_EQ(pe.ed->GetNControls(), 3);
  EXPECT_EQ(*pe.ed->GetControl(0)->GetRECT(), IRECT(0, 0, 100, 60));
  EXPECT_EQ(pe.ed->GetControl(0)->ParamIdx(), -1);
  EXPECT_EQ(pe.ed->GetControl(0)->GetBlend()->mMethod, kBlendReplace);
  EXPECT_EQ(*pe.ed->GetControl(1)->GetRECT(), IRECT(0, 0, 5, 5));
  EXPECT_EQ(*pe.ed->GetControl(2)->GetRECT(), IRECT(5, 5, 9, 9));
  pe.Attach();
  pe.ed->PaintAll();
  EXPECT_EQ(pe.ed->Pixel(50, 30), COLOR_GRAY);
}

TEST(IGraphics, ValuesFromThePlugReachOnlyTheBoundControlsAndTheFirstBecomesTheDefault)
{
  ProbeEditor pe;
  ProbeControl* gain = pe.Add(IRECT(0, 0, 10, 10), kGain);
  ProbeControl* gain2 = pe.Add(IRECT(10, 0, 20, 10), kGain);
  ProbeControl* freq = pe.Add(IRECT(20, 0, 30, 10), kFreq);
  ProbeControl* meter = pe.Add(IRECT(30, 0, 40, 10), -1);
  pe.plug.GetParam(kGain)->Set(6.0);
  pe.Attach();
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(gain2->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.75);
  EXPECT_DOUBLE_EQ(freq->GetValue(), pe.plug.Norm(kFreq));
  EXPECT_DOUBLE_EQ(meter->GetDefaultValue(), -1.0);

  // plain values are normalised with the parameter's mapping
  pe.ed->SetParameterFromPlug(kGain, -12.0, false);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.75);
  EXPECT_DOUBLE_EQ(freq->GetValue(), pe.plug.Norm(kFreq));

  // controls addressed by index; indices outside the list change nothing
  pe.ed->SetControlFromPlug(3, 0.4);
  EXPECT_DOUBLE_EQ(meter->GetValue(), 0.4);
  EXPECT_DOUBLE_EQ(meter->GetDefaultValue(), 0.4);
  pe.ed->SetControlFromPlug(-1, 0.9);
  pe.ed->SetControlFromPlug(4, 0.9);
  for (ProbeControl* p : pe.probes) {
    EXPECT_NE(p->GetValue(), 0.9);
  }
  EXPECT_TRUE(pe.plug.mInformed.empty());  // the plug-in was told nothing by any of this
}

TEST(IGraphics, EditorSideValuesStepByWheelReachThePluginOnlyWhenChangedAndKeepToTheClampRange)
{
  ProbeEditor pe;
  ProbeControl* gain = pe.Add(IRECT(0, 0, 10, 10), kGain);
  ProbeControl* freq = pe.Add(IRECT(10, 0, 20, 10), kFreq);
  pe.Attach();
  // a hundredth per wheel step, a thousandth with shift or control
  IMouseMod none, shift(false, false, true), control(false, false, false, true);
  pe.ed->OnMouseWheel(5, 5, &none, 3);
  EXPECT_NEAR(gain->GetValue(), 0.53, 1e-12);
  pe.ed->OnMouseWheel(5, 5, &shift, -2);
  EXPECT_NEAR(gain->GetValue(), 0.528, 1e-12);
  pe.ed->OnMouseWheel(5, 5, &control, 1);
  EXPECT_NEAR(gain->GetValue(), 0.529, 1e-12);
  EXPECT_NEAR(pe.plug.Norm(kGain), 0.529, 1e-12);
  EXPECT_EQ(pe.plug.mInformed.size(), 3u);

  pe.plug.mParamChanges.clear();
  pe.ed->SetParameterFromGUI(kGain, 0.25);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(pe.plug.GetParam(kGain)->Value(), -6.0);
  EXPECT_EQ(pe.plug.mInformed.size(), 4u);
  EXPECT_EQ(pe.plug.mParamChanges, std::vector<int>({kGain}));
  pe.ed->SetParameterFromGUI(kGain, 0.25);
  EXPECT_EQ(pe.plug.mInformed.size(), 4u);

  // a clamp range, in either unit, applies at the next gesture
  pe.ed->ClampControl(kGain, -6.0, 6.0, false);
  pe.ed->ClampControl(kFreq, 0.2, 0.3, true);
  pe.ed->OnMouseWheel(5, 5, &none, 100);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(pe.plug.GetParam(kGain)->Value(), 6.0);
  pe.ed->OnMouseWheel(15, 5, &none, -100);
  EXPECT_DOUBLE_EQ(freq->GetValue(), 0.2);
}

TEST(IGraphics, PressDragReleaseMovesTheCapturedControlByIncrementsAndFramesAHostGesture)
{
  ProbeEditor pe;
  pe.Add(IRECT(0, 0, 100, 60), -1);  // a backdrop under everything
  ProbeControl* knob = pe.Add(IRECT(10, 10, 30, 30), kGain);
  pe.Attach();
  pe.ed->OnMouseDown(15, 20, &pe.left);
  EXPECT_EQ(pe.ed->GetMouseCapture(), 1);
  EXPECT_EQ(pe.plug.mBegun, std::vector<int>({kGain}));
  // the pointer leaves the knob: the capture keeps the events with it
  pe.ed->OnMouseDrag(15, 17, &pe.left);
  pe.ed->OnMouseDrag(15, 17, &pe.left);
  pe.ed->OnMouseDrag(60, 50, &pe.left);
  pe.ed->OnMouseUp(70, 55, &pe.left);
  EXPECT_EQ(knob->mEvents,
            std::vector<std::string>({"down 15,20", "drag 15,17 by 0,-3", "drag 60,50 by 45,33", "up 70,55"}));
  EXPECT_EQ(pe.plug.mEnded, std::vector<int>({kGain}));
  EXPECT_EQ(pe.ed->GetMouseCapture(), -1);
  pe.ed->OnMouseDrag(20, 20, &pe.left);  // without capture a drag goes nowhere
  EXPECT_EQ(knob->mEvents.size(), 4u);

  // a press on the backdrop alone hits it, and an unbound control begins no gesture
  pe.ed->OnMouseDown(80, 50, &pe.left);
  EXPECT_EQ(pe.ed->GetMouseCapture(), 0);
  pe.ed->OnMouseUp(80, 50, &pe.left);
  EXPECT_EQ(pe.plug.mBegun.size(), 1u);
  EXPECT_EQ(pe.plug.mEnded.size(), 1u);
}

TEST(IGraphics, HiddenAndGrayedControlsAreNeverHitSoTheOneBelowIs)
{
  ProbeEditor pe;
  ProbeControl* below = pe.Add(IRECT(0, 0, 40, 40), kFreq);
  ProbeControl* above = pe.Add(IRECT(10, 10, 30, 30), kGain);
  pe.Attach();
  EXPECT_EQ(pe.ed->GetMouseControlIdx(20, 20), 1);
  pe.ed->HideControl(kGain, true);
  EXPECT_TRUE(above->IsHidden());
  EXPECT_EQ(pe.ed->GetMouseControlIdx(20, 20), 0);
  pe.ed->HideControl(kGain, false);
  pe.ed->GrayOutControl(kGain, true);
  EXPECT_FLOAT_EQ(above->GetBlend()->mWeight, 0.25f);
  EXPECT_EQ(pe.ed->GetMouseControlIdx(20, 20), 0);
  pe.ed->GrayOutControl(kGain, false);
  EXPECT_FLOAT_EQ(above->GetBlend()->mWeight, 1.0f);
  EXPECT_EQ(pe.ed->GetMouseControlIdx(20, 20), 1);
  EXPECT_EQ(pe.ed->GetMouseControlIdx(50, 50), -1);
  EXPECT_FALSE(below->IsHidden());

  // events that hit nothing do nothing
  pe.ed->OnMouseDown(50, 50, &pe.left);
  pe.ed->OnMouseUp(50, 50, &pe.left);
  pe.ed->OnMouseWheel(50, 50, &pe.left, 3);
  EXPECT_FALSE(pe.ed->OnMouseDblClick(50, 50, &pe.left));
  EXPECT_FALSE(pe.ed->OnKeyDown(50, 50, 'a'));
  EXPECT_TRUE(pe.plug.mBegun.empty());
}

TEST(IGraphics, KeysAndMouseOverGoToTheControlUnderThePointerAndDoubleClickRestoresTheDefaultOrPresses)
{
  ProbeEditor pe;
  ProbeControl* knob = pe.Add(IRECT(0, 0, 20, 20), kGain);
  ProbeControl* meter = pe.Add(IRECT(20, 0, 40, 20), -1);
  ProbeControl* button = pe.Add(IRECT(40, 0, 60, 20), kOnOff);
  button->SetMouseDblAsSingleClick(true);
  pe.plug.GetParam(kGain)->Set(3.0);
  pe.Attach();
  meter->mKeyResult = false;
  EXPECT_TRUE(pe.ed->OnKeyDown(5, 5, 'x'));
  EXPECT_FALSE(pe.ed->OnKeyDown(25, 5, 'y'));
  EXPECT_EQ(knob->mEvents, std::vector<std::string>({"key 120"}));

  IMouseMod none;
  EXPECT_FALSE(pe.ed->OnMouseOver(5, 5, &none));
  EXPECT_EQ(knob->mEvents.size(), 1u);
  pe.ed->HandleMouseOver(true);
  EXPECT_TRUE(pe.ed->OnMouseOver(5, 5, &none));
  EXPECT_TRUE(pe.ed->OnMouseOver(6, 5, &none));
  EXPECT_TRUE(pe.ed->OnMouseOver(25, 5, &none));
  EXPECT_EQ(pe.ed->GetMouseOver(), 1);
  EXPECT_EQ(knob->mEvents, std::vector<std::string>({"key 120", "over", "over", "out"}));
  pe.ed->OnMouseOut();
  EXPECT_EQ(pe.ed->GetMouseOver(), -1);
  EXPECT_EQ(meter->mEvents.back(), "out");

  pe.ed->OnMouseWheel(5, 5, &pe.left, 10);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.725);
  EXPECT_FALSE(pe.ed->OnMouseDblClick(5, 5, &pe.left));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.625);
  EXPECT_DOUBLE_EQ(pe.plug.GetParam(kGain)->Value(), 3.0);
  // no value was ever pushed into the meter: its default is unknown and nothing changes
  meter->SetValueFromUserInput(0.3);
  EXPECT_FALSE(pe.ed->OnMouseDblClick(25, 5, &pe.left));
  EXPECT_DOUBLE_EQ(meter->GetValue(), 0.3);

  size_t begun = pe.plug.mBegun.size();
  EXPECT_TRUE(pe.ed->OnMouseDblClick(45, 5, &pe.left));
  EXPECT_EQ(button->mEvents.back(), "down 45,5");
  EXPECT_EQ(pe.ed->GetMouseCapture(), 2);
  EXPECT_EQ(pe.plug.mBegun.size(), begun);
}

TEST(IGraphics, ResizeDeletesTheControlsAndAsksThePluginForTheNewSize)
{
  ProbeEditor pe(40, 30);
  bool deleted = false;
  struct Tracked : ProbeControl
  {
    bool* mDeleted;
    Tracked(IEffectBase* p, bool* d) : ProbeControl(p, IRECT(0, 0, 10, 10), kGain, 0, nullptr), mDeleted(d) {}
    ~Tracked() override { *mDeleted = true; }
  };
  pe.ed->AttachControl(new Tracked(&pe.plug, &deleted));
  pe.Attach();
  pe.ed->OnMouseDown(5, 5, &pe.left);
  pe.ed->Resize(60, 50);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(pe.ed->GetNControls(), 0);
  EXPECT_EQ(pe.ed->GetMouseCapture(), -1);
  EXPECT_EQ(pe.plug.mResized, (std::vector<std::pair<int, int>>{{60, 50}}));
  EXPECT_EQ(pe.ed->GetDrawBitmap()->getWidth(), 60);
  EXPECT_EQ(pe.ed->GetDrawBitmap()->getHeight(), 50);
}

TEST(IGraphics, DirtyRectangleIsTheUnionOfTheDirtyControlsAndAPluginValueCostsOneExtraPass)
{
  ProbeEditor pe;
  ProbeControl* a = pe.Add(IRECT(10, 10, 20, 20), -1);
  ProbeControl* b = pe.Add(IRECT(40, 5, 50, 15), -1);
  pe.Add(IRECT(70, 40, 80, 50), -1);
  pe.Attach();
  pe.ed->PaintAll();
  IRECT r;
  EXPECT_FALSE(pe.ed->IsDirty(&r));
  a->SetDirty(false);
  b->SetDirty(false);
  EXPECT_TRUE(pe.ed->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 5, 50, 20));
  // a gesture costs one pass only
  EXPECT_TRUE(pe.ed->TimerPass());
  EXPECT_FALSE(pe.ed->TimerPass());

  pe.ed->SetControlFromPlug(0, 0.5);
  EXPECT_TRUE(pe.ed->TimerPass());
  EXPECT_TRUE(pe.ed->TimerPass());
  EXPECT_FALSE(pe.ed->TimerPass());
  EXPECT_EQ(a->mDrawnValues.back(), 0.5);
  pe.ed->SetControlFromPlug(0, 0.5);  // an equal value: none
  EXPECT_FALSE(a->IsDirty());
}

TEST(IGraphics, StrictRepaintPaintsEveryControlTheRectangleTouchesAndCleansAll)
{
  ProbeEditor pe;
  pe.Add(IRECT(0, 0, 100, 60), -1);
  pe.Add(IRECT(10, 10, 20, 20), -1);
  ProbeControl* rightNeighbour = pe.Add(IRECT(20, 10, 30, 20), -1);
  ProbeControl* hidden = pe.Add(IRECT(12, 12, 18, 18), -1);
  ProbeControl* far = pe.Add(IRECT(60, 40, 70, 50), -1);
  ProbeControl* leftNeighbour = pe.Add(IRECT(0, 10, 10, 20), -1);
  pe.Attach();
  hidden->Hide(true);
  pe.log.clear();

  IRECT r(10, 10, 20, 20);
  EXPECT_TRUE(pe.ed->Draw(&r));
  // the rectangle's right edge meeting a control's left edge counts as touching it, the
  // rectangle's left edge meeting a control's right edge does not
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 2}));
  EXPECT_EQ(*pe.ed->GetDrawRECT(), r);
  EXPECT_EQ(pe.ed->mScreenRects.back(), r);
  // every control was cleaned, painted or not; the hidden one keeps its extra pass
  EXPECT_FALSE(rightNeighbour->IsDirty());
  EXPECT_FALSE(far->IsDirty());
  EXPECT_FALSE(leftNeighbour->IsDirty());
  EXPECT_TRUE(hidden->IsDirty());
  pe.ed->Draw(&r);
  EXPECT_FALSE(hidden->IsDirty());

  pe.log.clear();
  pe.ed->PaintAll();
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 2, 4, 5}));
}

TEST(IGraphics, LooseRepaintRepaintsEachDirtyControlWithWhatOverlapsItOrEverythingForADirtyBackground)
{
  ProbeEditor pe;
  ProbeControl* bg = pe.Add(IRECT(0, 0, 100, 60), -1);
  ProbeControl* knob = pe.Add(IRECT(10, 10, 30, 30), -1);
  pe.Add(IRECT(25, 25, 40, 40), -1);  // overlaps the knob
  pe.Add(IRECT(0, 10, 10, 20), -1);   // its right edge is the knob's left edge
  ProbeControl* far = pe.Add(IRECT(60, 40, 70, 50), -1);
  ProbeControl* hidden = pe.Add(IRECT(12, 12, 18, 18), -1);
  pe.Add(IRECT(30, 10, 40, 20), -1);  // its left edge is the knob's right edge
  pe.Attach();
  pe.ed->SetStrictDrawing(false);
  pe.ed->PaintAll();
  pe.ed->Settle();
  hidden->Hide(true);
  pe.ed->Settle();

  pe.log.clear();
  knob->SetDirty(false);
  IRECT any(0, 0, 1, 1);
  pe.ed->Draw(&any);
  // the test is made on the other control's rectangle: control 3 counts as overlapping
  // the knob, control 6 does not; the hidden control is left alone
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 2, 3}));
  EXPECT_EQ(knob->mDrawRects.back(), IRECT(10, 10, 30, 30));
  EXPECT_FALSE(knob->IsDirty());

  // two dirty controls: two passes, each with its own draw rectangle
  pe.log.clear();
  knob->SetDirty(false);
  far->SetDirty(false);
  pe.ed->Draw(&any);
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 2, 3, 0, 4}));
  EXPECT_EQ(far->mDrawRects.back(), IRECT(60, 40, 70, 50));

  // a hidden dirty control still paints itself in its own pass
  pe.log.clear();
  hidden->SetDirty(false);
  pe.ed->Draw(&any);
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 5}));

  // a dirty background: everything visible once, in the background's rectangle; the hidden
  // control is not painted and so not cleaned
  pe.log.clear();
  bg->SetDirty(false);
  hidden->SetDirty(false);
  pe.ed->Draw(&any);
  EXPECT_EQ(pe.log, std::vector<int>({0, 1, 2, 3, 4, 6}));
  EXPECT_EQ(bg->mDrawRects.back(), IRECT(0, 0, 100, 60));
  EXPECT_TRUE(hidden->IsDirty());
  EXPECT_FALSE(bg->IsDirty());
}

TEST(IGraphics, BitmapStateSelectsTheRoundedTopRowOfItsFrame)
{
  ProbeEditor pe(10, 10);
  pe.Attach();
  IBitmap strip = pe.ed->LoadIBitmap(RegisterStrip(4, 50, 60), "strip.png", 60);
  IBitmap odd = pe.ed->LoadIBitmap(RegisterStrip(4, 7, 3), "odd.png", 3);
  IBitmap single(strip.mData, 4, 3000, 1);
  const struct { IBitmap* bitmap; int state, srcY; } cases[] = {{&strip, 60, 2950}, {&strip, 1, 0}, {&strip, 0, 0},
                                                                 {&strip, 2, 50},    {&odd, 3, 14},  {&single, 5, 0}};
  IRECT dest(0, 0, 4, 50);
  for (const auto& c : cases) {
    pe.ed->mBitmapSources.clear();
    pe.ed->DrawBitmap(c.bitmap, &dest, c.state, nullptr);
    EXPECT_EQ(pe.ed->mBitmapSources, (std::vector<std::pair<int, int>>{{0, c.srcY}})) << c.state;
  }
}

TEST(IGraphics, LinesOutlinesAndRadialLinesFollowTheirGeometry)
{
  ProbeEditor pe(30, 30);
  pe.Attach();
  IRECT r(5, 5, 25, 15);
  IColor red = COLOR_RED, white = COLOR_WHITE, green = COLOR_GREEN;
  // measured from the left and from the bottom of the rectangle
  pe.ed->DrawHorizontalLine(&red, &r, 0.0f);
  pe.ed->DrawHorizontalLine(&red, &r, 1.0f);
  pe.ed->DrawHorizontalLine(&red, &r, 0.25f);  // 15 - trunc(2.5)
  pe.ed->DrawVerticalLine(&red, &r, -3.0f);
  pe.ed->DrawVerticalLine(&red, &r, 0.5f);
  IRECT box(2, 18, 8, 22);
  EXPECT_TRUE(pe.ed->DrawRect(&white, &box));
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      bool row = (y == 15 || y == 5 || y == 13) && x >= 5 && x <= 25;
      bool column = (x == 5 || x == 15) && y >= 5 && y <= 15;
      bool onEdge = ((y == 18 || y == 22) && x >= 2 && x <= 8) || ((x == 2 || x == 8) && y >= 18 && y <= 22);
      EXPECT_EQ(pe.ed->Pixel(x, y) == red, row || column) << x << "," << y;
      EXPECT_EQ(pe.ed->Pixel(x, y) == white, onEdge) << x << "," << y;
    }
  }

  // angle pi/2 points right: from (12 + 2, 27) to (12 + 6, 27)
  IChannelBlend replace(kBlendReplace);
  pe.ed->DrawRadialLine(&green, 12.0f, 27.0f, 1.5707964f, 2.0f, 6.0f, &replace, false);
  for (int x = 10; x < 30; ++x) {
    EXPECT_EQ(pe.ed->Pixel(x, 27) == green, x >= 14 && x <= 18) << x;
  }
}
