#include "IEffectAU_ViewFactory.h"
#include "IGraphicsCocoa.h"
#include "MacTestSupport.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <CoreServices/Components.h>

#include <gtest/gtest.h>

KELVO_DECLARE_VIEW_FACTORY(Test_Editor_View);

namespace
{
ComponentResult TestUnitEntry(ComponentParameters*, Handle)
{
  return noErr;
}

// An audio unit instance whose storage is the plug-in object, as the adapter keeps it.
class ViewFactory : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NSRunLoop::useManualClock(0);
    ComponentDescription cd = {0x61756678 /* 'aufx' */, 0x54737456, 0x54737473, 0, 0};
    component = RegisterComponent(&cd, &TestUnitEntry, "Tests: view factory");
    ASSERT_NE(component, nullptr);
    ASSERT_EQ(OpenAComponent(component, &unit), noErr);
    SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(static_cast<IEffectAU*>(&plug)));
  }
  void TearDown() override
  {
    CloseComponent(unit);
    UnregisterComponent(component);
    NSRunLoop::useSystemClock();
  }
  // What a host does with the class name of the unit's Cocoa view info.
  AUCocoaUIBase* factory()
  {
    return AUCocoaUIBaseCreate(NSClassFromString(CFSTR("Test_Editor_View")));
  }

  NSAutoreleasePool pool;
  MacTestAU plug;
  Component component = nullptr;
  ComponentInstance unit = nullptr;
};
} // namespace

TEST_F(ViewFactory, HostFindsItByNameAndGetsTheEditorsViewToEmbed)
{
  AUCocoaUIBase* f = factory();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->conformsToProtocol("AUCocoaUIBase"));
  EXPECT_EQ(f->interfaceVersion(), 0u);
  EXPECT_STREQ(f->description()->UTF8String(), "Test Editor View");
  NSWindow* window = MakeWindow(300, 253);
  NSView* view;
  {
    NSAutoreleasePool inner;
    view = f->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(1, 1));
    ASSERT_NE(view, nullptr);
    window->contentView()->addSubview(view);
  }
  EXPECT_EQ(plug.editor->GetWindow(), view);
  // the size hint is not used: the editor's size
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 300, 253)));
  EXPECT_EQ(view->retainCount(), 2u);
  window->handleHostMouseButton(0, true, NSMakePoint(100.5, 200.5), 0, 1.0);
  ASSERT_EQ(plug.all->mEvents.size(), 1u);
  EXPECT_EQ(plug.all->mEvents[0].y, 53);

  // a second request closes the first view
  view->retain();
  NSView* second;
  {
    NSAutoreleasePool inner;
    second = f->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0));
  }
  EXPECT_EQ(static_cast<IGraphicsCocoa_v1003_kelvo*>(view)->graphics(), nullptr);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(view->retainCount(), 1u);
  view->release();
  // nobody embedded the second one: only its timer holds it
  EXPECT_EQ(second->retainCount(), 1u);
  plug.editor->CloseWindow();
  f->release();
  window->release();
}

TEST_F(ViewFactory, NoPlugInOrNoEditorGivesNoView)
{
  AUCocoaUIBase* f = factory();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->uiViewForAudioUnit_withSize(nullptr, NSMakeSize(0, 0)), nullptr);
  SetComponentInstanceStorage(unit, nullptr);
  EXPECT_EQ(f->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0)), nullptr);
  MacTestAU bare(false);
  SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(static_cast<IEffectAU*>(&bare)));
  EXPECT_EQ(f->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0)), nullptr);
  EXPECT_FALSE(plug.editor->WindowIsOpen());
  f->release();
}

TEST(ViewFactoryRegistration, LastsAsLongAsItsRegistrationObject)
{
  struct ScopedName
  {
    static const char* ClassName() { return "Scoped_Test_View"; }
  };
  {
    IEffectAU_ViewFactoryRegistration reg("Scoped_Test_View", &IEffectAU_ViewFactoryMaker<ScopedName>::Make);
    Class cls = NSClassFromCString("Scoped_Test_View");
    ASSERT_NE(cls, nullptr);
    EXPECT_STREQ(cls->name, "Scoped_Test_View");
    AUCocoaUIBase* f = AUCocoaUIBaseCreate(cls);
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->description()->UTF8String(), "Scoped Test View");
    f->release();
  }
  EXPECT_EQ(NSClassFromCString("Scoped_Test_View"), nullptr);
  EXPECT_NE(NSClassFromCString("Test_Editor_View"), nullptr);
}
