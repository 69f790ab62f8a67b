#include "IEffectAU_ViewFactory.h"

#include "IEffectAU.h"
#include "IGraphics.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <CoreServices/Components.h>

#include <algorithm>
#include <new>
#include <string>

namespace
{
// The factory: opens the audio unit's editor in a new view.
class IEffectAU_ViewFactory : public AUCocoaUIBase
{
public:
  explicit IEffectAU_ViewFactory(const char* className)
  {
    // "Kelvo_View" describes itself as "Kelvo View"
    mDescription = className ? className : "";
    std::replace(mDescription.begin(), mDescription.end(), '_', ' ');
  }
  ~IEffectAU_ViewFactory() override
  {
    if (mDescriptionString) {
      mDescriptionString->release();
    }
  }

  unsigned interfaceVersion() override { return 0; }

  // The plug-in object is the audio unit's instance storage; nil without a plug-in or an
  // editor. Otherwise a new view with no parent, which the host embeds. The size is unused.
  NSView* uiViewForAudioUnit_withSize(AudioUnit inAudioUnit, NSSize inPreferredSize) override
  {
    (void)inPreferredSize;
    mPlug = inAudioUnit ? reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(inAudioUnit)) : nullptr;
    if (!mPlug || !mPlug->GetGUI()) {
      return nil;
    }
    return static_cast<NSView*>(mPlug->GetGUI()->OpenWindow(nullptr));
  }

  NSString* description() override
  {
    if (!mDescriptionString) {
      mDescriptionString = new NSString(mDescription.c_str());
    }
    return mDescriptionString;
  }

private:
  IEffectAU* mPlug = nullptr;
  std::string mDescription;
  NSString* mDescriptionString = nullptr;
};
} // namespace

IEffectAU_ViewFactoryRegistration::IEffectAU_ViewFactoryRegistration(const char* className, NSObject* (*make)())
  : mClass(new (std::nothrow) objc_class{className, make})
{
  if (mClass) {
    NSRegisterClass(static_cast<objc_class*>(mClass));
  }
}

IEffectAU_ViewFactoryRegistration::~IEffectAU_ViewFactoryRegistration()
{
  if (mClass) {
    NSUnregisterClass(static_cast<objc_class*>(mClass));
    delete static_cast<objc_class*>(mClass);
  }
}

NSObject* IEffectAU_ViewFactoryRegistration::Create(const char* className)
{
  return new (std::nothrow) IEffectAU_ViewFactory(className);
}
