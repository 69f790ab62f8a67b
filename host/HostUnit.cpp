#include "HostUnit.h"

#include "HostText.h"

#include <cstring>

namespace {

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

}  // namespace

std::string UnitLabel(const UnitParameter& parameter)
{
  switch (parameter.unit) {
    case kAudioUnitParameterUnit_CustomUnit: return parameter.unitName;
    case kAudioUnitParameterUnit_Indexed: return "indexed";
    case kAudioUnitParameterUnit_Boolean: return "on/off";
    case kAudioUnitParameterUnit_Percent: return "%";
    case kAudioUnitParameterUnit_Seconds: return "s";
    case kAudioUnitParameterUnit_SampleFrames: return "frames";
    case kAudioUnitParameterUnit_Phase: return "phase";
    case kAudioUnitParameterUnit_Rate: return "rate";
    case kAudioUnitParameterUnit_Hertz: return "Hz";
    case kAudioUnitParameterUnit_Cents: return "cents";
    case kAudioUnitParameterUnit_RelativeSemiTones: return "semitones";
    case kAudioUnitParameterUnit_MIDINoteNumber: return "note";
    case kAudioUnitParameterUnit_MIDIController: return "controller";
    case kAudioUnitParameterUnit_Decibels: return "dB";
    case kAudioUnitParameterUnit_LinearGain: return "gain";
    case kAudioUnitParameterUnit_Degrees: return "degrees";
    case kAudioUnitParameterUnit_Pan: return "pan";
    case kAudioUnitParameterUnit_Meters: return "m";
    case kAudioUnitParameterUnit_AbsoluteCents: return "cents";
    case kAudioUnitParameterUnit_Octaves: return "octaves";
    case kAudioUnitParameterUnit_BPM: return "BPM";
    case kAudioUnitParameterUnit_Beats: return "beats";
    case kAudioUnitParameterUnit_Milliseconds: return "ms";
    case kAudioUnitParameterUnit_Ratio: return "ratio";
    default: return std::string();
  }
}

HostUnit::~HostUnit()
{
  Close();
}

bool HostUnit::Open(const ComponentListing& component, std::string* error)
{
  Close();
  AudioUnit unit = nullptr;
  const OSErr status = OpenAComponent(component.component, &unit);
  if (status != noErr || !unit) {
    return Fail(error, "cannot open " + DescribeCodes(component.description) + " \"" + component.name +
                           "\": " + StatusText(status));
  }
  mUnit = unit;
  mComponent = component;
  mSampleTime = 0;
  return true;
}

void HostUnit::Close()
{
  if (!mUnit) return;
  Uninitialize();
  CloseComponent(mUnit);
  mUnit = nullptr;
}

OSStatus HostUnit::Initialize()
{
  const OSStatus status = AudioUnitInitialize(mUnit);
  if (status == noErr) mInitialized = true;
  return status;
}

void HostUnit::Uninitialize()
{
  if (!mInitialized) return;
  AudioUnitUninitialize(mUnit);
  mInitialized = false;
}

bool HostUnit::GetParameters(std::vector<UnitParameter>* parameters, std::string* error) const
{
  parameters->clear();
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus status =
      AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable);
  if (status != noErr) return Fail(error, "cannot read the parameter list: " + StatusText(status));
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (!ids.empty()) {
    size = static_cast<UInt32>(ids.size() * sizeof(AudioUnitParameterID));
    status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(),
                                  &size);
    if (status != noErr) return Fail(error, "cannot read the parameter list: " + StatusText(status));
    ids.resize(size / sizeof(AudioUnitParameterID));
  }
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info = {};
    size = sizeof info;
    status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size);
    if (status != noErr) {
      return Fail(error, "cannot read the info of parameter " + std::to_string(id) + ": " + StatusText(status));
    }
    UnitParameter p;
    p.id = id;
    if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString) {
      p.name = StringFromCF(info.cfNameString);
    } else {
      p.name.assign(info.name, strnlen(info.name, sizeof info.name));
    }
    p.unit = info.unit;
    if (info.unit == kAudioUnitParameterUnit_CustomUnit) p.unitName = StringFromCF(info.unitName);
    // the strings are ours to release when the unit says so
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
      if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString) CFRelease(info.cfNameString);
      if (info.unit == kAudioUnitParameterUnit_CustomUnit && info.unitName) CFRelease(info.unitName);
    }
    p.minValue = info.minValue;
    p.maxValue = info.maxValue;
    p.defaultValue = info.defaultValue;
    p.flags = info.flags;

    CFArrayRef texts = nullptr;
    size = sizeof texts;
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &texts,
                             &size) == noErr &&
        texts) {
      for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i) {
        p.valueStrings.push_back(StringFromCF(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, i))));
      }
      CFRelease(texts);
    }
    parameters->push_back(p);
  }
  return true;
}

OSStatus HostUnit::GetParameterValue(AudioUnitParameterID id, AudioUnitParameterValue* value) const
{
  return AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, value);
}

OSStatus HostUnit::SetParameterValue(AudioUnitParameterID id, AudioUnitParameterValue value)
{
  return AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

std::string HostUnit::ValueText(AudioUnitParameterID id, AudioUnitParameterValue value) const
{
  AudioUnitParameterStringFromValue request = { id, &value, nullptr };
  UInt32 size = sizeof request;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request,
                           &size) != noErr ||
      !request.outString) {
    return std::string();
  }
  std::string text = StringFromCF(request.outString);
  CFRelease(request.outString);
  return text;
}

bool HostUnit::ValueFromText(AudioUnitParameterID id, const std::string& text, AudioUnitParameterValue* value) const
{
  CFStringRef string = CreateCFString(text);
  if (!string) return false;
  // a value no parameter can have marks "not found": the unit leaves it as it was
  const AudioUnitParameterValue unset = -3.0e38f;
  AudioUnitParameterValueFromString request = { id, string, unset };
  UInt32 size = sizeof request;
  const OSStatus status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueFromString,
                                               kAudioUnitScope_Global, 0, &request, &size);
  CFRelease(string);
  if (status != noErr || request.outValue == unset) return false;
  *value = request.outValue;
  return true;
}

bool HostUnit::GetFactoryPresets(std::vector<UnitPreset>* presets, std::string* error) const
{
  presets->clear();
  CFArrayRef array = nullptr;
  UInt32 size = sizeof array;
  const OSStatus status =
      AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &array, &size);
  if (status == kAudioUnitErr_InvalidProperty) return true;  // a unit without factory presets
  if (status != noErr) return Fail(error, "cannot read the factory presets: " + StatusText(status));
  if (!array) return true;
  // the records belong to the unit; the array is ours
  for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
    const AUPreset* record = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(array, i));
    if (record) presets->push_back({ record->presetNumber, StringFromCF(record->presetName) });
  }
  CFRelease(array);
  return true;
}

bool HostUnit::GetCurrentPreset(UnitPreset* preset) const
{
  AUPreset record = { -1, nullptr };
  UInt32 size = sizeof record;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &record, &size) !=
      noErr) {
    *preset = { -1, std::string() };
    return false;
  }
  preset->number = record.presetNumber;
  preset->name = StringFromCF(record.presetName);
  if (record.presetName) CFRelease(record.presetName);
  return true;
}

OSStatus HostUnit::SetCurrentPreset(const UnitPreset& preset)
{
  AUPreset record = { preset.number, CreateCFString(preset.name) };
  const OSStatus status =
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &record, sizeof record);
  if (record.presetName) CFRelease(record.presetName);
  return status;
}

OSStatus HostUnit::CopyClassInfo(CFPropertyListRef* classInfo) const
{
  *classInfo = nullptr;
  UInt32 size = sizeof *classInfo;
  const OSStatus status =
      AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, classInfo, &size);
  if (status != noErr) *classInfo = nullptr;
  return status;
}

OSStatus HostUnit::SetClassInfo(CFPropertyListRef classInfo)
{
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &classInfo,
                              sizeof classInfo);
}

bool HostUnit::GetCocoaViewInfo(std::string* className, std::string* bundlePath) const
{
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable) !=
          noErr ||
      size < sizeof(AudioUnitCocoaViewInfo)) {
    return false;
  }
  // the info may name several classes after the bundle location
  size_t numClasses = (size - sizeof(CFURLRef)) / sizeof(CFStringRef);
  if (numClasses > 64) numClasses = 64;
  std::vector<void*> words(1 + numClasses, nullptr);
  AudioUnitCocoaViewInfo* info = reinterpret_cast<AudioUnitCocoaViewInfo*>(words.data());
  size = static_cast<UInt32>(words.size() * sizeof(void*));
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, info, &size) != noErr) {
    return false;
  }
  bool found = false;
  if (info->mCocoaAUViewClass[0]) {
    *className = StringFromCF(info->mCocoaAUViewClass[0]);
    found = !className->empty();
  }
  if (info->mCocoaAUViewBundleLocation) {
    CFStringRef path = CFURLCopyFileSystemPath(info->mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
    *bundlePath = StringFromCF(path);
    if (path) CFRelease(path);
    CFRelease(info->mCocoaAUViewBundleLocation);
  }
  for (size_t i = 0; i < numClasses; ++i) {
    CFStringRef name = static_cast<CFStringRef>(words[1 + i]);
    if (name) CFRelease(name);
  }
  return found;
}
