#include "ComponentCatalog.h"

#include "HostText.h"

#include <AudioUnit/AudioUnit.h>

const OSType kKelvoType = kAudioUnitType_Effect;
const OSType kKelvoSubType = 0x4B766C6F;       // 'Kvlo'
const OSType kKelvoManufacturer = 0x42726E74;  // 'Brnt'

namespace {

ComponentListing MakeListing(Component component)
{
  ComponentListing listing;
  listing.component = component;
  GetComponentInfo(component, &listing.description, nullptr, nullptr, nullptr);
  CFStringRef name = nullptr;
  if (AudioComponentCopyName(component, &name) == noErr && name) {
    listing.name = StringFromCF(name);
    CFRelease(name);
  }
  if (CFBundleRef bundle = GetComponentBundle(component)) {
    CFURLRef url = CFBundleCopyBundleURL(bundle);
    if (url) {
      CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
      listing.bundlePath = StringFromCF(path);
      if (path) CFRelease(path);
      CFRelease(url);
    }
  }
  return listing;
}

}  // namespace

bool IsAudioUnitType(OSType type)
{
  switch (type) {
    case kAudioUnitType_Output:
    case kAudioUnitType_MusicDevice:
    case kAudioUnitType_MusicEffect:
    case kAudioUnitType_FormatConverter:
    case kAudioUnitType_Effect:
    case kAudioUnitType_Mixer:
    case kAudioUnitType_Panner:
    case kAudioUnitType_Generator:
    case kAudioUnitType_OfflineEffect:
      return true;
    default:
      return false;
  }
}

std::vector<ComponentListing> ListAudioUnits()
{
  std::vector<ComponentListing> units;
  ComponentDescription any = {};
  for (Component c = FindNextComponent(nullptr, &any); c; c = FindNextComponent(c, &any)) {
    ComponentListing listing = MakeListing(c);
    if (IsAudioUnitType(listing.description.componentType)) units.push_back(listing);
  }
  return units;
}

bool FindAudioUnit(OSType type, OSType subtype, OSType manufacturer, ComponentListing* found)
{
  ComponentDescription looking = { type, subtype, manufacturer, 0, 0 };
  for (Component c = FindNextComponent(nullptr, &looking); c; c = FindNextComponent(c, &looking)) {
    ComponentListing listing = MakeListing(c);
    if (IsAudioUnitType(listing.description.componentType)) {
      *found = listing;
      return true;
    }
  }
  return false;
}

std::string DescribeCodes(const ComponentDescription& description)
{
  return FourCCToString(description.componentType) + " " + FourCCToString(description.componentSubType) + " " +
         FourCCToString(description.componentManufacturer);
}
