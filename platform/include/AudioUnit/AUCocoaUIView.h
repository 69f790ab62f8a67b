#pragma once

// The Cocoa view factory of an audio unit. The unit's Cocoa view info names a class of
// its bundle; the host looks it up (NSClassFromString), makes an instance, checks that
// it conforms to "AUCocoaUIBase" and asks it for a view, which it embeds in its window.
//
// A component implements the factory by deriving from AUCocoaUIBase and registering
// the class under its name from a static initialiser:
//   static NSClassRegistration<Kelvo_View> sRegistration("Kelvo_View");
//
// Threads: the main (user-interface) thread.

#include <AppKit/NSView.h>
#include <AudioUnit/AUComponent.h>
#include <Foundation/NSString.h>

class AUCocoaUIBase : public NSObject
{
public:
  BOOL conformsToProtocol(const char* protocolName) const override;

  // The version of the factory protocol (0).
  virtual unsigned interfaceVersion() = 0;
  // A new view (autoreleased) showing the audio unit, or null; the size is a hint.
  virtual NSView* uiViewForAudioUnit_withSize(AudioUnit inAudioUnit, NSSize inPreferredSize) = 0;
};

// The factory of a registered class, or null when the class is unknown or does not
// conform (a new instance: the caller releases it).
AUCocoaUIBase* AUCocoaUIBaseCreate(Class cls);
