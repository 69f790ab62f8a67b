#pragma once

#include "IEffectBase.h"
#include "IEffectStructs.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

// Presents a plug-in object to an Audio Unit host. Every host request arrives at the
// component entry as a selector and a parameter block; the adapter turns it into calls on
// the plug-in. It keeps the buses, input connections, listeners, render notifications and
// scratch buffers, answers properties, renders, saves and restores the class-info
// dictionary and tells the host about editor gestures.
//
// Threads: the host may call the entry from any thread; every selector but open and close
// runs under the plug-in's instance lock, and so do the fast-dispatch procedures.
class IEffectAU : public IEffectBase
{
public:
  enum EAUInputType
  {
    eNotConnected = 0,
    eDirectFastProc,
    eDirectNoFastProc,
    eRenderCallback,
  };

  // One bus: which of the plug-in's channels it carries and how many the host gives it.
  struct BusChannels
  {
    bool mConnected;
    int mNHostChannels;         // -1 until the host sets a stream format
    int mNPlugChannels;
    int mPlugChannelStartIdx;
  };

  // What feeds one input bus; all zero means nothing.
  struct InputBusConnection
  {
    void* mUpstreamObj;          // the upstream unit's instance storage, for its fast path
    AudioUnit mUpstreamUnit;
    UInt32 mUpstreamBusIdx;
    AudioUnitRenderProc mUpstreamRenderProc;
    AURenderCallbackStruct mUpstreamRenderCallback;
    EAUInputType mInputType;
  };

  struct PropertyListener
  {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  // The arguments other than the instance info go unchanged to IEffectBase.
  IEffectAU(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
            const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
            int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
            bool plugIsInst);
  ~IEffectAU() override;

  // Editor thread, instance lock held by the base object for the value change: sends the
  // begin-gesture, value-change and end-gesture events to the host's listeners.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;

  // Render thread: transport from the host callbacks.
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;

  // Identifies the host from the main bundle's identifier on first use.
  int GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  // Host thread, not while rendering: sizes the scratch buffers (allocates).
  void SetBlockSize(int blockSize) override;
  // Calls the latency property's listeners, then stores the latency.
  void SetLatency(int samples) override;
  // An effect has no MIDI output: messages are dropped.
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendMidiMsgs(BASE_TypedBuf<IMidiMsg>* msgs) override;

  // The component entries; plug is the plug-in object, viewRecord the Carbon view's record.
  // Any thread. Open builds the plug-in (allocates); every other selector but close runs
  // under the instance lock, rendering included.
  static ComponentResult IEffectAUEntry(ComponentParameters* params, void* plug);
  static ComponentResult IEffectAUCarbonViewEntry(ComponentParameters* params, void* viewRecord);

  // Fast-dispatch procedures (also reached through the entry). Any thread; each takes the
  // instance lock.
  static ComponentResult GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                      AudioUnitElement element, AudioUnitParameterValue* pValue);
  static ComponentResult SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                      AudioUnitElement element, AudioUnitParameterValue value,
                                      UInt32 bufferOffset);
  // Render thread: no allocation; blocks only on the instance lock.
  static ComponentResult RenderProc(void* plug, AudioUnitRenderActionFlags* pFlags,
                                    const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                    UInt32 nFrames, AudioBufferList* pOutBufList);

  // Host thread, instance lock held (the ClassInfo property): the class-info dictionary.
  // GetState hands the caller a new dictionary; SetState checks every key before it changes
  // anything but the named preset.
  ComponentResult GetState(CFPropertyListRef* pPlist);
  ComponentResult SetState(CFPropertyListRef plist);

private:
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, Boolean* pWriteable, void* pData);
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32 dataSize, const void* pData);
  ComponentResult GetProc(AudioUnitElement selector, UInt32* pDataSize, void* pData);
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* format);
  ComponentResult MakeConnection(const AudioUnitConnection* connection);
  ComponentResult GetParameterInfo(AudioUnitElement paramID, AudioUnitParameterInfo* info);
  CFArrayRef CopyFactoryPresets();
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  ComponentResult SendAUEvent(AudioUnitEventType type, int idx);

  void AssessInputConnections();
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  void ClearConnections();
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  bool IsValidParamID(AudioUnitParameterID paramID) const;
  ComponentResult PullInput(const AudioTimeStamp* pTimestamp, UInt32 nFrames);

  BASE_String mBundleID;
  BASE_String mCocoaViewFactoryClassName;
  ComponentInstance mCI = nullptr;
  bool mActive = false;
  bool mBypassed = false;
  double mLastRenderSampleTime = -1.0;
  double mTempo = 120.0;
  void* mHostUserData = nullptr;
  HostCallback_GetBeatAndTempo mBeatAndTempoProc = nullptr;
  HostCallback_GetMusicalTimeLocation mMusicalTimeLocationProc = nullptr;
  HostCallback_GetTransportState mTransportStateProc = nullptr;
  BASE_TypedBuf<float> mInScratchBuf{ 4096 };
  BASE_TypedBuf<float> mOutScratchBuf{ 4096 };
  BASE_TypedBuf<float> mSilenceBuf{ 4096 };   // zeros for host buffers no plug-in channel fills
  BASE_PtrList<AURenderCallbackStruct> mRenderNotify;
  BASE_PtrList<BusChannels> mInBuses;
  BASE_PtrList<BusChannels> mOutBuses;
  BASE_PtrList<InputBusConnection> mInBusConnections;
  BASE_PtrList<PropertyListener> mPropertyListeners;
  // Preset records handed to the host in factory-preset arrays; they stay valid until the
  // plug-in is deleted, since the host's array only points at them.
  BASE_PtrList<AUPreset> mPresetRecords;
};

// Owned zero-terminated UTF-8 copy of a platform string (null for none); free() it.
char* CStrLocal(CFStringRef cfStr);
// Each reads the value of key, converting numbers to type; false when the key is absent
// (or holds the wrong kind of value).
bool GetNumberFromDict(CFDictionaryRef dict, const char* key, void* pValue, CFNumberType type);
// Copies at most bufferSize - 1 bytes and a terminator; the empty text when absent.
bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* buffer, int bufferSize);
bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk);
void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, void* pValue, CFNumberType type);
void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
void PutDataInDict(CFMutableDictionaryRef dict, const char* key, ByteChunk* chunk);

// The product's factory: a new, fully constructed plug-in. Defined once per product.
IEffectAU* MakePlug();

// The stream format the adapter reports: 32-bit float linear PCM.
void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels,
                     bool interleaved);

// Declares a product's two exported component entries, <Name>_Entry and <Name>_ViewEntry,
// with default visibility (the rest of the component is built hidden).
#define KELVO_DECLARE_AU_ENTRIES(Name)                                                            \
  extern "C" __attribute__((visibility("default"))) ComponentResult Name##_Entry(                 \
      ComponentParameters* params, Handle storage)                                                \
  {                                                                                               \
    return IEffectAU::IEffectAUEntry(params, reinterpret_cast<void*>(storage));                   \
  }                                                                                               \
  extern "C" __attribute__((visibility("default"))) ComponentResult Name##_ViewEntry(             \
      ComponentParameters* params, Handle storage)                                                \
  {                                                                                               \
    return IEffectAU::IEffectAUCarbonViewEntry(params, reinterpret_cast<void*>(storage));         \
  }
