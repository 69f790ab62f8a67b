#pragma once

// The audio unit components the Component Manager knows: those of the bundles on
// KELVO_COMPONENT_PATH and in the build tree, found on first use.
//
// Threads: any (the Component Manager is thread-safe).

#include <CoreServices/CoreServices.h>

#include <string>
#include <vector>

struct ComponentListing
{
  Component component = nullptr;
  ComponentDescription description = {};
  std::string name;
  std::string bundlePath;  // empty for a component registered by the running program
};

// The product: an effect, subtype 'Kvlo', manufacturer 'Brnt'.
extern const OSType kKelvoType;
extern const OSType kKelvoSubType;
extern const OSType kKelvoManufacturer;

// Whether the type is one of the audio unit types (effect, instrument, generator, ...);
// view components and others are not.
bool IsAudioUnitType(OSType type);

// Every registered audio unit, in registration order.
std::vector<ComponentListing> ListAudioUnits();

// The first audio unit matching the codes (0 matches any); false when none does.
bool FindAudioUnit(OSType type, OSType subtype, OSType manufacturer, ComponentListing* found);

// "aufx Kvlo Brnt".
std::string DescribeCodes(const ComponentDescription& description);
