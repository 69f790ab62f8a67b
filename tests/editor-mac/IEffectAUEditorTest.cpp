// The editor through the Audio Unit adapter, as a host reaches it: the Cocoa view property
// and its factory, and the Carbon view component.

#include "IEffectAU_ViewFactory.h"
#include "IGraphicsCarbon.h"
#include "MacTestSupport.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnitCarbonView.h>
#include <Carbon/Carbon.h>
#include <CoreServices/Components.h>

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>

KELVO_DECLARE_VIEW_FACTORY(Test_Editor_View);

namespace
{
ComponentResult UnitEntry(ComponentParameters* params, Handle storage)
{
  return IEffectAU::IEffectAUEntry(params, reinterpret_cast<void*>(storage));
}

ComponentResult ViewEntry(ComponentParameters* params, Handle storage)
{
  return IEffectAU::IEffectAUCarbonViewEntry(params, reinterpret_cast<void*>(storage));
}

std::string Text(CFStringRef s)
{
  char buf[1024] = {0};
  if (s) {
    CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
  }
  return buf;
}

// The test plug-in opened as an audio unit, and its Carbon view component.
class AdapterEditor : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NSRunLoop::useManualClock(0);
    ComponentDescription unitDesc = {0x61756678 /* 'aufx' */, 0x546d6163, 0x54737473, 0, 0};
    unitComponent = RegisterComponent(&unitDesc, &UnitEntry, "Tests: EditorMacTest");
    ComponentDescription viewDesc = {kAudioUnitCarbonViewComponentType, 0x546d6163, 0x54737473, 0, 0};
    viewComponent = RegisterComponent(&viewDesc, &ViewEntry, "Tests: EditorMacTest view");
    ASSERT_EQ(OpenAComponent(unitComponent, &unit), noErr);
    plug = static_cast<MacTestAU*>(reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(unit)));
    ASSERT_NE(plug, nullptr);
  }
  void TearDown() override
  {
    CloseComponent(unit);
    UnregisterComponent(viewComponent);
    UnregisterComponent(unitComponent);
    NSRunLoop::currentRunLoop()->runOnce(0);
    NSRunLoop::useSystemClock();
  }

  NSAutoreleasePool pool;
  Component unitComponent = nullptr, viewComponent = nullptr;
  ComponentInstance unit = nullptr;
  MacTestAU* plug = nullptr;
};
} // namespace

TEST_F(AdapterEditor, CocoaViewInfoNamesTheBundleAndAFactoryThatOpensTheEditor)
{
  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  EXPECT_EQ(size, sizeof(AudioUnitCocoaViewInfo));
  EXPECT_FALSE(writable);
  AudioUnitCocoaViewInfo info = {nullptr, {nullptr}};
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size), noErr);
  ASSERT_NE(info.mCocoaAUViewBundleLocation, nullptr);
  CFStringRef path = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
  char bundle[PATH_MAX];
  ASSERT_NE(realpath(KELVO_EDITOR_MAC_BUNDLE, bundle), nullptr);
  EXPECT_EQ(Text(path), bundle);
  CFRelease(path);
  EXPECT_EQ(Text(info.mCocoaAUViewClass[0]), kTestViewFactory);

  // what the host does with the info
  AUCocoaUIBase* factory = AUCocoaUIBaseCreate(NSClassFromString(info.mCocoaAUViewClass[0]));
  ASSERT_NE(factory, nullptr);
  NSWindow* window = MakeWindow(300, 253);
  NSView* view = nullptr;
  {
    NSAutoreleasePool inner;
    view = factory->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(300, 253));
    ASSERT_NE(view, nullptr);
    window->contentView()->addSubview(view);
    EXPECT_EQ(plug->editor->GetWindow(), view);
  }
  window->handleHostMouseButton(0, true, NSMakePoint(12.5, 240.5), 0, 1.0);
  ASSERT_EQ(plug->all->mEvents.size(), 1u);
  EXPECT_EQ(plug->all->mEvents[0].x, 12);
  EXPECT_EQ(plug->all->mEvents[0].y, 13);
  // the host takes the view down
  view->removeFromSuperview();
  EXPECT_FALSE(plug->editor->WindowIsOpen());
  factory->release();
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  window->release();
}

TEST_F(AdapterEditor, CarbonViewComponentOpensTheEditorInTheHostsWindowAndCloseEndsIt)
{
  ComponentInstance view = nullptr;
  ASSERT_EQ(OpenAComponent(viewComponent, &view), noErr);
  Rect bounds = {50, 100, 303, 400};
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowCompositingAttribute, &bounds, &window), noErr);
  ShowWindow(window);
  Float32Point location = {0, 0}, size = {300, 253};
  void* control = nullptr;
  ASSERT_EQ(AudioUnitCarbonViewCreate(view, reinterpret_cast<AudioUnit>(unit), window, nullptr, &location, &size,
                                      &control),
            noErr);
  ASSERT_NE(control, nullptr);
  ASSERT_NE(plug->editor->GetCarbon(), nullptr);
  EXPECT_EQ(plug->editor->GetCarbon()->GetView(), control);
  NSWindow* ns = HIWindowGetCocoaWindow(window);
  ns->handleHostMouseButton(0, true, NSMakePoint(12.5, 240.5), NSCommandKeyMask, 1.0);
  ASSERT_EQ(plug->all->mEvents.size(), 1u);
  EXPECT_EQ(plug->all->mEvents[0].y, 12);
  EXPECT_TRUE(plug->all->mEvents[0].mod.R);
  NSRunLoop::currentRunLoop()->advanceTime(0.2);

  // the host closes the view component: the editor lets go of the window
  EXPECT_EQ(CloseComponent(view), noErr);
  EXPECT_FALSE(plug->editor->WindowIsOpen());
  ns->handleHostMouseButton(0, false, NSMakePoint(12.5, 240.5), 0, 1.1);
  EXPECT_EQ(plug->all->mEvents.size(), 1u);
  DisposeWindow(window);
}

TEST_F(AdapterEditor, CarbonViewOfAUnitWithoutEditorIsRefused)
{
  ComponentInstance view = nullptr;
  ASSERT_EQ(OpenAComponent(viewComponent, &view), noErr);
  MacTestAU bare(false);
  ComponentInstance bareUnit = nullptr;
  ASSERT_EQ(OpenAComponent(unitComponent, &bareUnit), noErr);
  IEffectAU* opened = reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(bareUnit));
  SetComponentInstanceStorage(bareUnit, reinterpret_cast<Handle>(static_cast<IEffectAU*>(&bare)));
  Rect bounds = {50, 100, 303, 400};
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowCompositingAttribute, &bounds, &window), noErr);
  Float32Point location = {0, 0}, size = {300, 253};
  void* control = nullptr;
  EXPECT_NE(AudioUnitCarbonViewCreate(view, reinterpret_cast<AudioUnit>(bareUnit), window, nullptr, &location, &size,
                                      &control),
            noErr);
  EXPECT_EQ(control, nullptr);
  // the Cocoa view property is refused too
  UInt32 infoSize = 0;
  EXPECT_EQ(AudioUnitGetPropertyInfo(bareUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &infoSize,
                                     nullptr),
            kAudioUnitErr_InvalidProperty);
  CloseComponent(view);
  SetComponentInstanceStorage(bareUnit, reinterpret_cast<Handle>(opened));
  CloseComponent(bareUnit);
  DisposeWindow(window);
}

TEST_F(AdapterEditor, FactoryGivesNoViewWithoutPlugInOrEditor)
{
  AUCocoaUIBase* factory = AUCocoaUIBaseCreate(NSClassFromCString(kTestViewFactory));
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  EXPECT_STREQ(factory->description()->UTF8String(), "Test Editor View");
  EXPECT_EQ(factory->uiViewForAudioUnit_withSize(nullptr, NSMakeSize(0, 0)), nullptr);
  IEffectAU* opened = reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(unit));
  SetComponentInstanceStorage(unit, nullptr);
  EXPECT_EQ(factory->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0)), nullptr);
  MacTestAU bare(false);
  SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(static_cast<IEffectAU*>(&bare)));
  EXPECT_EQ(factory->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0)), nullptr);
  SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(opened));
  EXPECT_FALSE(plug->editor->WindowIsOpen());
  factory->release();
}

TEST(ViewFactoryRegistration, LastsAsLongAsItsRegistrationObject)
{
  struct ScopedName
  {
    static const char* ClassName() { return "Scoped_Test_View"; }
  };
  {
    IEffectAU_ViewFactoryRegistration reg("Scoped_Test_View", &IEffectAU_ViewFactoryMaker<ScopedName>::Make);
    AUCocoaUIBase* factory = AUCocoaUIBaseCreate(NSClassFromCString("Scoped_Test_View"));
    ASSERT_NE(factory, nullptr);
    EXPECT_STREQ(factory->description()->UTF8String(), "Scoped Test View");
    factory->release();
  }
  EXPECT_EQ(NSClassFromCString("Scoped_Test_View"), nullptr);
  EXPECT_NE(NSClassFromCString(kTestViewFactory), nullptr);
}
