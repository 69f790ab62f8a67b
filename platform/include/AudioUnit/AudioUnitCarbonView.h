#pragma once

// The Carbon view component of an audio unit: a component of type 'auvw' whose create
// selector builds an editor control inside a host window.

#include <AudioUnit/AUComponent.h>

enum { kAudioUnitCarbonViewComponentType = 0x61757677 /* 'auvw' */ };

enum {
  kAudioUnitCarbonViewRange = 0x0300,
  kAudioUnitCarbonViewCreateSelect = 0x0301,
  kAudioUnitCarbonViewSetEventListenerSelect = 0x0302
};

typedef ComponentInstance AudioUnitCarbonView;

struct Float32Point {
  Float32 x;
  Float32 y;
};
typedef struct Float32Point Float32Point;

#ifdef __cplusplus
extern "C" {
#endif

// Asks the view to build its control for inAudioUnit in inWindow under inParentControl;
// the window and controls are the windowing system's handles, passed as they are.
OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, void* inWindow,
                                   void* inParentControl, const Float32Point* inLocation, const Float32Point* inSize,
                                   void** outControl);

#ifdef __cplusplus
}
#endif
