#pragma once

// One open audio unit instance as the host program drives it: its parameters, factory
// presets, class-info state and Cocoa view info, read and written through the unit's
// properties and parameter calls. Values the unit hands over (strings, arrays,
// dictionaries) are released here as their owner.
//
// Threads: the thread that opened the unit (the program's main thread).

#include "ComponentCatalog.h"

#include <AudioUnit/AudioUnit.h>

#include <string>
#include <vector>

struct UnitParameter
{
  AudioUnitParameterID id = 0;
  std::string name;
  AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic;
  std::string unitName;  // the label of a custom unit ("Khz"), else empty
  AudioUnitParameterValue minValue = 0;
  AudioUnitParameterValue maxValue = 0;
  AudioUnitParameterValue defaultValue = 0;
  AudioUnitParameterOptions flags = 0;
  std::vector<std::string> valueStrings;  // the unit's texts of values 0, 1, ... (names of indexed values)
};

struct UnitPreset
{
  SInt32 number = 0;
  std::string name;
};

// The short text of a parameter's unit: the custom label, "dB", "Hz", "indexed", ...
std::string UnitLabel(const UnitParameter& parameter);

class HostUnit
{
public:
  HostUnit() = default;
  ~HostUnit();
  HostUnit(const HostUnit&) = delete;
  HostUnit& operator=(const HostUnit&) = delete;

  // Opens an instance of the component; false with the reason.
  bool Open(const ComponentListing& component, std::string* error);
  // Uninitialises (when initialised) and closes the instance.
  void Close();

  AudioUnit Unit() const { return mUnit; }
  const ComponentListing& Listing() const { return mComponent; }
  bool IsOpen() const { return mUnit != nullptr; }

  // Every parameter of the global scope with its info and value texts.
  bool GetParameters(std::vector<UnitParameter>* parameters, std::string* error) const;
  OSStatus GetParameterValue(AudioUnitParameterID id, AudioUnitParameterValue* value) const;
  OSStatus SetParameterValue(AudioUnitParameterID id, AudioUnitParameterValue value);
  // The unit's text for a value ("30 Hz", "OFF"); empty when it has none.
  std::string ValueText(AudioUnitParameterID id, AudioUnitParameterValue value) const;
  // The value whose text the unit knows; false when it knows none.
  bool ValueFromText(AudioUnitParameterID id, const std::string& text, AudioUnitParameterValue* value) const;

  bool GetFactoryPresets(std::vector<UnitPreset>* presets, std::string* error) const;
  // The preset the unit reports as current (number -1 and no name when it reports none).
  bool GetCurrentPreset(UnitPreset* preset) const;
  OSStatus SetCurrentPreset(const UnitPreset& preset);

  // The class-info dictionary (the caller releases it).
  OSStatus CopyClassInfo(CFPropertyListRef* classInfo) const;
  OSStatus SetClassInfo(CFPropertyListRef classInfo);

  // The class name of the unit's Cocoa view factory and the path of the bundle that
  // holds it; false when the unit has no Cocoa view.
  bool GetCocoaViewInfo(std::string* className, std::string* bundlePath) const;

  // Initialise and uninitialise the unit (the calls are remembered for Close).
  OSStatus Initialize();
  void Uninitialize();

  // The unit's timeline: the sample time of the next render. It only moves forward, also
  // across renders of different files, because a unit may take a render at a sample time
  // it has seen before for a second request of the same slice and reuse that input.
  Float64 SampleTime() const { return mSampleTime; }
  void AdvanceSampleTime(UInt32 frames) { mSampleTime += frames; }

private:
  AudioUnit mUnit = nullptr;
  ComponentListing mComponent;
  bool mInitialized = false;
  Float64 mSampleTime = 0;
};
