// The component bundle as a host sees it: registration, exported symbols, the lifecycle of
// an instance, parameters, factory presets, saved state and the Cocoa view.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnit.h>
#include <Cocoa/Cocoa.h>
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

const OSType kSubtype = 0x4B766C6F;       // 'Kvlo'
const OSType kManufacturer = 0x42726E74;  // 'Brnt'
const double kPi = 3.14159265358979323846;

enum { kLowFreq = 0, kMidFreq = 4, kLSOnOff = 10, kInputGain = 11, kOutputGain = 12, kLowPass = 14, kNumParams = 15 };

Component FindKelvo(OSType type = kAudioUnitType_Effect)
{
  ComponentDescription cd = { type, kSubtype, kManufacturer, 0, 0 };
  return FindNextComponent(nullptr, &cd);
}

AudioUnit OpenKelvo()
{
  AudioUnit unit = nullptr;
  EXPECT_EQ(OpenAComponent(FindKelvo(), &unit), noErr);
  return unit;
}

OSStatus SetGlobal(AudioUnit unit, AudioUnitPropertyID id, const void* data, UInt32 size)
{
  return AudioUnitSetProperty(unit, id, kAudioUnitScope_Global, 0, data, size);
}

template <typename T>
OSStatus GetGlobal(AudioUnit unit, AudioUnitPropertyID id, T* data, AudioUnitElement element = 0)
{
  UInt32 size = sizeof *data;
  return AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, element, data, &size);
}

std::string Text(CFStringRef s)
{
  char buf[512] = "";
  if (s) {
    CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
  }
  return buf;
}

OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, UInt32 channels, Float64 rate)
{
  AudioStreamBasicDescription f = {
    rate, kAudioFormatLinearPCM, kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved, 4, 1, 4,
    channels, 32, 0
  };
  return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &f, sizeof f);
}

Float32 GetParam(AudioUnit unit, AudioUnitParameterID id)
{
  Float32 v = -12345.f;
  return AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v) == noErr ? v : -12345.f;
}

OSStatus SetParam(AudioUnit unit, AudioUnitParameterID id, Float32 v)
{
  return AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, v, 0);
}

// A 1 kHz sine of amplitude 0.5 on the left, inverted on the right, from the sample time.
struct Sine
{
  Float64 rate = 44100.0;

  static OSStatus Render(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                         AudioBufferList* io)
  {
    Sine* s = static_cast<Sine*>(refCon);
    for (UInt32 c = 0; c < io->mNumberBuffers; ++c) {
      float* d = static_cast<float*>(io->mBuffers[c].mData);
      for (UInt32 i = 0; d && i < nFrames; ++i) {
        double v = 0.5 * std::sin(2.0 * kPi * 1000.0 * (ts->mSampleTime + i) / s->rate);
        d[i] = static_cast<float>(c ? -v : v);
      }
    }
    return noErr;
  }
};

// Output buffers for up to two channels.
struct Output
{
  Output(UInt32 channels, UInt32 frames) : data(channels, std::vector<float>(frames, 99.f))
  {
    list.mNumberBuffers = channels;
    for (UInt32 c = 0; c < channels; ++c) {
      list.mBuffers[c] = { 1, static_cast<UInt32>(frames * sizeof(float)), frames ? data[c].data() : nullptr };
    }
  }

  // Renders this buffer's frames at the sample time, which then moves on.
  OSStatus Render(AudioUnit unit, Float64* sampleTime)
  {
    AudioTimeStamp ts{};
    ts.mSampleTime = *sampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    UInt32 frames = static_cast<UInt32>(data[0].size());
    *sampleTime += frames;
    return AudioUnitRender(unit, nullptr, &ts, 0, frames, reinterpret_cast<AudioBufferList*>(&list));
  }

  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
  } list{};
  std::vector<std::vector<float>> data;
};

double Peak(const std::vector<float>& v, size_t from)
{
  double p = 0.0;
  for (size_t i = from; i < v.size(); ++i) {
    p = std::max(p, std::fabs(static_cast<double>(v[i])));
  }
  return p;
}

}  // namespace

TEST(KelvoComponent, BundleRegistersTheEffectAndExportsOnlyItsEntries)
{
  Component effect = FindKelvo();
  ASSERT_NE(effect, nullptr);
  ComponentDescription cd{};
  ASSERT_EQ(GetComponentInfo(effect, &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(cd.componentType, static_cast<OSType>(kAudioUnitType_Effect));
  EXPECT_EQ(cd.componentSubType, kSubtype);
  EXPECT_EQ(cd.componentManufacturer, kManufacturer);
  EXPECT_NE(FindKelvo(0x61757677 /* 'auvw' */), nullptr);

  std::string exe = std::string(KELVO_BINARY_DIR) + "/Kelvo.component/Contents/MacOS/Kelvo";
  void* handle = dlopen(exe.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  EXPECT_NE(dlsym(handle, "Kelvo_Entry"), nullptr);
  EXPECT_NE(dlsym(handle, "Kelvo_ViewEntry"), nullptr);
  // the factory, the class and the libraries inside stay hidden
  for (const char* hidden : { "_Z8MakePlugv", "_ZN5Kelvo22ProcessDoubleReplacingEPPdS1_i", "_ZN5ZurAR5resetEd" }) {
    EXPECT_EQ(dlsym(handle, hidden), nullptr) << hidden;
  }
  dlclose(handle);
}

TEST(KelvoComponent, LifecycleOpenFormatsInitialiseRenderResetUninitialiseCloseReopen)
{
  for (Float64 rate : { 44100.0, 48000.0, 96000.0 }) {
    for (UInt32 channels : { 2u, 1u }) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " channel(s)");
      AudioUnit unit = OpenKelvo();
      ASSERT_NE(unit, nullptr);
      ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, channels, rate), noErr);
      ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, channels, rate), noErr);
      UInt32 maxFrames = 1024;
      ASSERT_EQ(SetGlobal(unit, kAudioUnitProperty_MaximumFramesPerSlice, &maxFrames, sizeof maxFrames), noErr);
      Sine sine{ rate };
      AURenderCallbackStruct cb = { &Sine::Render, &sine };
      ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                     sizeof cb),
                noErr);
      ASSERT_EQ(AudioUnitInitialize(unit), noErr);

      Float64 t = 0;
      for (UInt32 frames : { 1u, 64u, 333u, 1024u, 512u, 1024u, 1024u, 1024u }) {
        Output out(channels, frames);
        ASSERT_EQ(out.Render(unit, &t), noErr) << frames;
        for (UInt32 c = 0; c < channels; ++c) {
          ASSERT_TRUE(std::all_of(out.data[c].begin(), out.data[c].end(), [](float v) { return std::isfinite(v); }));
        }
      }
      // one block more than the maximum is refused
      Output tooMany(channels, maxFrames + 1);
      EXPECT_EQ(tooMany.Render(unit, &t), kAudioUnitErr_InvalidPropertyValue);

      // settled: the flat default chain passes the sine at unity gain
      Output settled(channels, 1024);
      ASSERT_EQ(settled.Render(unit, &t), noErr);
      for (UInt32 c = 0; c < channels; ++c) {
        EXPECT_NEAR(Peak(settled.data[c], 0), 0.5, 0.01) << c;
      }
      // a reset clears the filters, not the gains: the next block is not faded in again
      ASSERT_EQ(AudioUnitReset(unit, kAudioUnitScope_Global, 0), noErr);
      Output afterReset(channels, 512);
      ASSERT_EQ(afterReset.Render(unit, &t), noErr);
      EXPECT_GT(Peak(afterReset.data[0], 256), 0.45);

      // a parameter change through the host reaches the processing
      ASSERT_EQ(SetParam(unit, kOutputGain, -12.f), noErr);
      Output ramp(channels, 1024), quieter(channels, 1024);
      ASSERT_EQ(ramp.Render(unit, &t), noErr);
      ASSERT_EQ(quieter.Render(unit, &t), noErr);
      EXPECT_NEAR(Peak(quieter.data[0], 0), 0.5 * std::pow(10.0, -12.0 / 20.0), 0.01);

      ASSERT_EQ(AudioUnitUninitialize(unit), noErr);
      ASSERT_EQ(CloseComponent(unit), noErr);
      // reopened: a new instance with the defaults
      unit = OpenKelvo();
      ASSERT_NE(unit, nullptr);
      EXPECT_EQ(GetParam(unit, kOutputGain), 0.f);
      EXPECT_EQ(GetParam(unit, kLowPass), 22.f);
      ASSERT_EQ(CloseComponent(unit), noErr);
    }
  }
}

TEST(KelvoComponent, HostSeesFifteenParametersSixPresetsAndRestoresSavedState)
{
  AudioUnit unit = OpenKelvo();
  ASSERT_NE(unit, nullptr);
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size,
                                     &writable),
            noErr);
  EXPECT_EQ(size, kNumParams * sizeof(AudioUnitParameterID));

  AudioUnitParameterInfo info;
  ASSERT_EQ(GetGlobal(unit, kAudioUnitProperty_ParameterInfo, &info, kMidFreq), noErr);
  EXPECT_STREQ(info.name, "Mid Freq");
  EXPECT_EQ(info.minValue, 150.f);
  EXPECT_EQ(info.maxValue, 4000.f);
  EXPECT_EQ(info.defaultValue, 832.f);
  for (CFStringRef s : { info.cfNameString, info.unitName }) {
    if (s) {
      CFRelease(s);
    }
  }
  EXPECT_NE(GetGlobal(unit, kAudioUnitProperty_ParameterInfo, &info, kNumParams), noErr);

  CFArrayRef presets = nullptr;
  ASSERT_EQ(GetGlobal(unit, kAudioUnitProperty_FactoryPresets, &presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 6);
  const char* names[] = { "Init", "Mix Exiter 1", "Final mix 2", "Drums - Kick", "-", "-" };
  for (CFIndex i = 0; i < 6; ++i) {
    const AUPreset* p = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    EXPECT_EQ(p->presetNumber, i);
    EXPECT_EQ(Text(p->presetName), names[i]);
  }
  CFRelease(presets);

  AUPreset finalMix = { 2, nullptr };
  ASSERT_EQ(SetGlobal(unit, kAudioUnitProperty_PresentPreset, &finalMix, sizeof finalMix), noErr);
  EXPECT_EQ(GetParam(unit, kMidFreq), 832.f);
  EXPECT_EQ(GetParam(unit, kOutputGain), -4.f);
  EXPECT_EQ(GetParam(unit, kInputGain), 4.f);

  // saved state: the identity and fifteen doubles
  CFPropertyListRef plist = nullptr;
  ASSERT_EQ(GetGlobal(unit, kAudioUnitProperty_ClassInfo, &plist), noErr);
  ASSERT_EQ(CFGetTypeID(plist), CFDictionaryGetTypeID());
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(plist);
  CFTypeRef data = CFDictionaryGetValue(dict, CFSTR("data"));
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(CFGetTypeID(data), CFDataGetTypeID());
  EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(data)), static_cast<CFIndex>(kNumParams * sizeof(double)));
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFDictionaryGetValue(dict, CFSTR("name")))), "Final mix 2");
  SInt32 subtype = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("subtype"))), kCFNumberSInt32Type,
                   &subtype);
  EXPECT_EQ(static_cast<OSType>(subtype), kSubtype);

  // into another instance
  AudioUnit other = OpenKelvo();
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(SetGlobal(other, kAudioUnitProperty_ClassInfo, &plist, sizeof plist), noErr);
  EXPECT_EQ(GetParam(other, kOutputGain), -4.f);
  EXPECT_EQ(GetParam(other, kLSOnOff), 1.f);
  EXPECT_EQ(GetParam(other, kLowFreq), 1.f);
  CFRelease(plist);
  CloseComponent(other);
  CloseComponent(unit);
}

TEST(KelvoComponent, CocoaViewFactoryOpensTheEditorForTheUnit)
{
  NSAutoreleasePool pool;
  AudioUnit unit = OpenKelvo();
  ASSERT_NE(unit, nullptr);
  AudioUnitCocoaViewInfo viewInfo{};
  ASSERT_EQ(GetGlobal(unit, kAudioUnitProperty_CocoaUI, &viewInfo), noErr);
  EXPECT_EQ(Text(viewInfo.mCocoaAUViewClass[0]), "Kelvo_View");
  Class cls = NSClassFromString(viewInfo.mCocoaAUViewClass[0]);
  ASSERT_NE(cls, nullptr);
  AUCocoaUIBase* factory = AUCocoaUIBaseCreate(cls);
  ASSERT_NE(factory, nullptr);
  EXPECT_STREQ(factory->description()->UTF8String(), "Kelvo View");
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  NSView* view = factory->uiViewForAudioUnit_withSize(unit, NSMakeSize(0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame().size.width, 802);
  EXPECT_EQ(view->frame().size.height, 253);
  factory->release();
  if (viewInfo.mCocoaAUViewBundleLocation) {
    CFRelease(viewInfo.mCocoaAUViewBundleLocation);
  }
  CFRelease(viewInfo.mCocoaAUViewClass[0]);
  // closing the unit deletes the editor, which lets go of its view
  EXPECT_EQ(CloseComponent(unit), noErr);
}

TEST(KelvoComponent, InstancesOpenedFromSeveralThreadsAtOnceAreEachComplete)
{
  std::atomic<int> complete{ 0 };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&complete]() {
      for (int i = 0; i < 3; ++i) {
        AudioUnit unit = nullptr;
        if (OpenAComponent(FindKelvo(), &unit) != noErr || !unit) {
          continue;
        }
        CFArrayRef presets = nullptr;
        if (GetGlobal(unit, kAudioUnitProperty_FactoryPresets, &presets) == noErr) {
          complete += CFArrayGetCount(presets) == 6 && GetParam(unit, kMidFreq) == 832.f;
          CFRelease(presets);
        }
        CloseComponent(unit);
      }
    });
  }
  for (std::thread& t : threads) {
    t.join();
  }
  EXPECT_EQ(complete.load(), 12);
}
