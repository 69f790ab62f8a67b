#include "IEffectAU.h"

#include "BASE_Assert.h"
#include "Hosts.h"
#include "IGraphics.h"
#include "IGraphicsMac.h"
#include "Log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

const char* const kAssertFile = "framework/IEffectAU";

// Most host channels an input bus carries (the render-time buffer list has room for them).
const int kMaxBusChannels = 128;

// Trace names of the input kinds.
const char* AUInputTypeStr(int type)
{
  switch (type) {
    case IEffectAU::eDirectFastProc: return "DirectFastProc";
    case IEffectAU::eDirectNoFastProc: return "DirectNoFastProc";
    case IEffectAU::eRenderCallback: return "RenderCallback";
    default: return "NotConnected";
  }
}

// Argument k (1 = the first after the instance) of a call with nArgs arguments: the words
// hold the arguments last first.
template <class T>
T Arg(const ComponentParameters* params, int nArgs, int k)
{
  long word = params->params[nArgs - k];
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(word);
  } else if constexpr (std::is_same_v<T, Float32>) {
    UInt32 bits = static_cast<UInt32>(word);
    Float32 value;
    memcpy(&value, &bits, sizeof value);
    return value;
  } else {
    return static_cast<T>(word);
  }
}

// Number of argument words each selector takes; -1 for a selector the entry does not serve.
int ArgCount(int select)
{
  switch (select) {
    case kComponentCanDoSelect: return 1;
    case kComponentVersionSelect: return 0;
    case kAudioUnitInitializeSelect: return 0;
    case kAudioUnitUninitializeSelect: return 0;
    case kAudioUnitGetPropertyInfoSelect: return 5;
    case kAudioUnitGetPropertySelect: return 5;
    case kAudioUnitSetPropertySelect: return 5;
    case kAudioUnitGetParameterSelect: return 4;
    case kAudioUnitSetParameterSelect: return 5;
    case kAudioUnitResetSelect: return 2;
    case kAudioUnitAddPropertyListenerSelect: return 3;
    case kAudioUnitRemovePropertyListenerSelect: return 2;
    case kAudioUnitRenderSelect: return 5;
    case kAudioUnitAddRenderNotifySelect: return 2;
    case kAudioUnitRemoveRenderNotifySelect: return 1;
    case kAudioUnitScheduleParametersSelect: return 2;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: return 3;
    case kMusicDeviceMIDIEventSelect: return 4;
    case kMusicDevicePrepareInstrumentSelect: return 1;
    case kMusicDeviceReleaseInstrumentSelect: return 1;
    case kMusicDeviceStartNoteSelect: return 5;
    case kMusicDeviceStopNoteSelect: return 3;
    default: return -1;
  }
}

// The platform string for a key; the caller releases it.
CFStringRef MakeCFStr(const char* text)
{
  return CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8);
}

// Selectors 1 to 17 that the entry serves, as a bit mask over selectors 0 to 17.
const UInt32 kCanDoMask = 0x3cefe;

// The Carbon view component's instance record.
struct CarbonViewRecord
{
  ComponentInstance mCI;
  IEffectAU* mPlug;
};

// Opens the editor in a Carbon window: false when the editor made no control, or when its
// class has no Carbon form of OpenWindow(window, control) at all.
template <class G>
auto OpenCarbonWindow(G* graphics, void* window, void* control, void** outControl, int)
    -> decltype(graphics->OpenWindow(window, control), bool())
{
  void* created = graphics->OpenWindow(window, control);
  if (!created) {
    return false;
  }
  if (outControl) {
    *outControl = created;
  }
  return true;
}

template <class G>
bool OpenCarbonWindow(G*, void*, void*, void**, long)
{
  return false;
}

template <class G>
auto CloseCarbonWindow(G* graphics, int) -> decltype(graphics->CloseWindow(), void())
{
  graphics->CloseWindow();
}

template <class G>
void CloseCarbonWindow(G*, long)
{
}

}  // namespace

// ---- dictionary helpers ----

char* CStrLocal(CFStringRef cfStr)
{
  if (!cfStr) {
    return nullptr;
  }
  CFIndex n = CFStringGetMaximumSizeForEncoding(CFStringGetLength(cfStr), kCFStringEncodingUTF8) + 1;
  if (n <= 0) {
    return nullptr;
  }
  char* cStr = static_cast<char*>(malloc(static_cast<size_t>(n)));
  if (cStr && !CFStringGetCString(cfStr, cStr, n, kCFStringEncodingUTF8)) {
    cStr[0] = 0;
  }
  return cStr;
}

static CFTypeRef GetValueFromDict(CFDictionaryRef dict, const char* key, CFTypeID type)
{
  CFStringRef cfKey = MakeCFStr(key);
  CFTypeRef value = CFDictionaryGetValue(dict, cfKey);
  CFRelease(cfKey);
  return value && CFGetTypeID(value) == type ? value : nullptr;
}

bool GetNumberFromDict(CFDictionaryRef dict, const char* key, void* pValue, CFNumberType type)
{
  CFNumberRef value = static_cast<CFNumberRef>(GetValueFromDict(dict, key, CFNumberGetTypeID()));
  if (!value) {
    return false;
  }
  CFNumberGetValue(value, type, pValue);
  return true;
}

bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* buffer, int bufferSize)
{
  if (bufferSize <= 0) {
    return false;
  }
  buffer[0] = 0;
  CFStringRef value = static_cast<CFStringRef>(GetValueFromDict(dict, key, CFStringGetTypeID()));
  if (!value) {
    return false;
  }
  char* text = CStrLocal(value);
  if (text) {
    snprintf(buffer, static_cast<size_t>(bufferSize), "%s", text);
    free(text);
  }
  return true;
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk)
{
  CFDataRef value = static_cast<CFDataRef>(GetValueFromDict(dict, key, CFDataGetTypeID()));
  if (!value) {
    return false;
  }
  CFIndex n = CFDataGetLength(value);
  chunk->Resize(static_cast<int>(n));
  if (n > 0 && chunk->Size() == n) {
    memcpy(chunk->GetBytes(), CFDataGetBytePtr(value), static_cast<size_t>(n));
  }
  return chunk->Size() == n;
}

void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, void* pValue, CFNumberType type)
{
  CFStringRef cfKey = MakeCFStr(key);
  CFNumberRef value = CFNumberCreate(nullptr, type, pValue);
  CFDictionarySetValue(dict, cfKey, value);
  CFRelease(value);
  CFRelease(cfKey);
}

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value)
{
  CFStringRef cfKey = MakeCFStr(key);
  CFStringRef cfValue = MakeCFStr(value);
  if (!cfValue) {
    cfValue = MakeCFStr("");
  }
  CFDictionarySetValue(dict, cfKey, cfValue);
  CFRelease(cfValue);
  CFRelease(cfKey);
}

void PutDataInDict(CFMutableDictionaryRef dict, const char* key, ByteChunk* chunk)
{
  CFStringRef cfKey = MakeCFStr(key);
  CFDataRef value = CFDataCreate(nullptr, chunk->GetBytes(), chunk->Size());
  CFDictionarySetValue(dict, cfKey, value);
  CFRelease(value);
  CFRelease(cfKey);
}

void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved)
{
  memset(pASBD, 0, sizeof(AudioStreamBasicDescription));
  pASBD->mSampleRate = sampleRate;
  pASBD->mFormatID = kAudioFormatLinearPCM;
  pASBD->mFormatFlags = kAudioFormatFlagsNativeFloatPacked;
  int wordSize = static_cast<int>(sizeof(Float32));
  pASBD->mBytesPerFrame = pASBD->mBytesPerPacket = static_cast<UInt32>(interleaved ? wordSize * nChannels : wordSize);
  if (!interleaved) {
    pASBD->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  }
  pASBD->mFramesPerPacket = 1;
  pASBD->mChannelsPerFrame = static_cast<UInt32>(nChannels);
  pASBD->mBitsPerChannel = 8 * sizeof(Float32);
  pASBD->mReserved = 0;
}

// ---- construction ----

IEffectAU::IEffectAU(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                     const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                     int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst)
  : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst)
{
  mBundleID.Set(instanceInfo.mBundleID.Get());
  mCocoaViewFactoryClassName.Set(instanceInfo.mCocoaViewFactoryClassName.Get());

  int nInputs = NInChannels(), nOutputs = NOutChannels();
  int nInBuses = (nInputs + 1) / 2, nOutBuses = (nOutputs + 1) / 2;
  for (int i = 0, remaining = nInputs; i < nInBuses; ++i, remaining -= 2) {
    BusChannels* bus = new BusChannels();
    bus->mNHostChannels = -1;
    bus->mPlugChannelStartIdx = 2 * i;
    bus->mNPlugChannels = std::min(2, remaining);
    mInBuses.Add(bus);
    mInBusConnections.Add(new InputBusConnection());
  }
  for (int i = 0, remaining = nOutputs; i < nOutBuses; ++i, remaining -= 2) {
    BusChannels* bus = new BusChannels();
    bus->mNHostChannels = -1;
    bus->mPlugChannelStartIdx = 2 * i;
    bus->mNPlugChannels = std::min(2, remaining);
    mOutBuses.Add(bus);
  }
  AssessInputConnections();
  SetBlockSize(1024);
}

IEffectAU::~IEffectAU()
{
  mRenderNotify.Empty(true);
  mInBuses.Empty(true);
  mOutBuses.Empty(true);
  mInBusConnections.Empty(true);
  mPropertyListeners.Empty(true);
  for (int i = 0; i < mPresetRecords.GetSize(); ++i) {
    CFRelease(mPresetRecords.Get(i)->presetName);
  }
  mPresetRecords.Empty(true);
}

// ---- small overrides ----

int IEffectAU::GetHost()
{
  int host = IEffectBase::GetHost();
  if (host == kHostUninit) {
    CFBundleRef mainBundle = CFBundleGetMainBundle();
    CFStringRef id = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
    if (id) {
      char* hostName = CStrLocal(id);
      SetHost(hostName ? hostName : "", 0);
      free(hostName);
      host = IEffectBase::GetHost();
    }
    if (host == kHostUninit) {
      SetHost("", 0);
      host = IEffectBase::GetHost();
    }
  }
  return host;
}

void IEffectAU::HostSpecificInit()
{
  GetHost();
}

void IEffectAU::ResizeGraphics(int, int)
{
}

void IEffectAU::SetBlockSize(int blockSize)
{
  TRACE("%d", blockSize);
  if (blockSize < 0) {
    return;
  }
  int nIn = NInChannels() * blockSize, nOut = NOutChannels() * blockSize;
  mInScratchBuf.Resize(nIn);
  mOutScratchBuf.Resize(nOut);
  mSilenceBuf.Resize(blockSize);
  if (mInScratchBuf.Get()) {
    memset(mInScratchBuf.Get(), 0, sizeof(float) * static_cast<size_t>(mInScratchBuf.GetSize()));
  }
  if (mOutScratchBuf.Get()) {
    memset(mOutScratchBuf.Get(), 0, sizeof(float) * static_cast<size_t>(mOutScratchBuf.GetSize()));
  }
  if (mSilenceBuf.Get()) {
    memset(mSilenceBuf.Get(), 0, sizeof(float) * static_cast<size_t>(mSilenceBuf.GetSize()));
  }
  // A block size whose buffers could not all be had is not taken on.
  if (mInScratchBuf.GetSize() == nIn && mOutScratchBuf.GetSize() == nOut && mSilenceBuf.GetSize() == blockSize) {
    IEffectBase::SetBlockSize(blockSize);
  }
}

void IEffectAU::SetLatency(int samples)
{
  TRACE("%d", samples);
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    PropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->mPropID == kAudioUnitProperty_Latency) {
      listener->mListenerProc(listener->mProcArgs, mCI, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0);
    }
  }
  IEffectBase::SetLatency(samples);
}

bool IEffectAU::SendMidiMsg(IMidiMsg*)
{
  return false;
}

bool IEffectAU::SendMidiMsgs(BASE_TypedBuf<IMidiMsg>* msgs)
{
  int n = msgs ? msgs->GetSize() : 0;
  IMidiMsg* msg = n > 0 ? msgs->Get() : nullptr;
  for (int i = 0; i < n; ++i, ++msg) {
    SendMidiMsg(msg);
  }
  return true;
}

bool IEffectAU::IsValidParamID(AudioUnitParameterID paramID) const
{
  return paramID < static_cast<UInt32>(NParams());
}

// ---- entry ----

ComponentResult IEffectAU::IEffectAUEntry(ComponentParameters* params, void* pPlug)
{
  if (!params) {
    return paramErr;
  }
  int select = params->what;
  TRACE("(%d:%s)", select, AUSelectStr(select));
  int nArgs = params->paramSize / static_cast<int>(sizeof(long));

  if (select == kComponentOpenSelect) {
    if (nArgs < 1) {
      return paramErr;
    }
    IEffectAU* plug = MakePlug();
    if (!plug) {
      return memFullErr;
    }
    plug->HostSpecificInit();
    plug->PruneUninitializedPresets();
    plug->mCI = Arg<ComponentInstance>(params, nArgs, 1);
    SetComponentInstanceStorage(plug->mCI, reinterpret_cast<Handle>(plug));
    return noErr;
  }

  IEffectAU* plug = static_cast<IEffectAU*>(pPlug);
  if (select == kComponentCloseSelect) {
    delete plug;
    return noErr;
  }
  if (!plug) {
    return badComponentInstance;
  }

  BASE_MutexLock lock(plug->mMutex);
  int expected = ArgCount(select);
  if (expected < 0) {
    return badComponentSelector;
  }
  if (nArgs < expected) {
    return paramErr;
  }

  switch (select) {
    case kComponentCanDoSelect: {
      UInt32 canDo = static_cast<UInt32>(static_cast<SInt16>(Arg<long>(params, nArgs, 1)));
      return canDo <= 17 && ((kCanDoMask >> canDo) & 1) ? 1 : 0;
    }
    case kComponentVersionSelect:
      return plug->GetEffectVersion(false);
    case kAudioUnitInitializeSelect: {
      if (!plug->CheckLegalIO()) {
        return badComponentSelector;
      }
      plug->mActive = true;
      plug->mLastRenderSampleTime = -1.0;
      plug->OnParamReset();
      plug->OnActivate(true);
      return noErr;
    }
    case kAudioUnitUninitializeSelect: {
      plug->mActive = false;
      plug->mLastRenderSampleTime = -1.0;
      plug->ClearConnections();
      plug->OnActivate(false);
      return noErr;
    }
    case kAudioUnitGetPropertyInfoSelect: {
      AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, nArgs, 1);
      AudioUnitScope scope = Arg<AudioUnitScope>(params, nArgs, 2);
      AudioUnitElement element = Arg<AudioUnitElement>(params, nArgs, 3);
      UInt32* pDataSize = Arg<UInt32*>(params, nArgs, 4);
      Boolean* pWriteable = Arg<Boolean*>(params, nArgs, 5);
      UInt32 localSize = 0;
      Boolean localWriteable = false;
      if (!pDataSize) {
        pDataSize = &localSize;
      }
      if (!pWriteable) {
        pWriteable = &localWriteable;
      }
      *pWriteable = false;
      return plug->GetProperty(propID, scope, element, pDataSize, pWriteable, nullptr);
    }
    case kAudioUnitGetPropertySelect: {
      AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, nArgs, 1);
      AudioUnitScope scope = Arg<AudioUnitScope>(params, nArgs, 2);
      AudioUnitElement element = Arg<AudioUnitElement>(params, nArgs, 3);
      void* pData = Arg<void*>(params, nArgs, 4);
      UInt32* pDataSize = Arg<UInt32*>(params, nArgs, 5);
      // Without a size the buffer's room is unknown: it counts as none.
      UInt32 localSize = 0;
      Boolean writeable = false;
      if (!pDataSize) {
        pDataSize = &localSize;
      }
      return plug->GetProperty(propID, scope, element, pDataSize, &writeable, pData);
    }
    case kAudioUnitSetPropertySelect: {
      AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, nArgs, 1);
      AudioUnitScope scope = Arg<AudioUnitScope>(params, nArgs, 2);
      AudioUnitElement element = Arg<AudioUnitElement>(params, nArgs, 3);
      const void* pData = Arg<const void*>(params, nArgs, 4);
      UInt32 dataSize = Arg<UInt32>(params, nArgs, 5);
      return plug->SetProperty(propID, scope, element, dataSize, pData);
    }
    case kAudioUnitGetParameterSelect:
      return GetParamProc(plug, Arg<AudioUnitParameterID>(params, nArgs, 1), Arg<AudioUnitScope>(params, nArgs, 2),
                          Arg<AudioUnitElement>(params, nArgs, 3), Arg<AudioUnitParameterValue*>(params, nArgs, 4));
    case kAudioUnitSetParameterSelect:
      return SetParamProc(plug, Arg<AudioUnitParameterID>(params, nArgs, 1), Arg<AudioUnitScope>(params, nArgs, 2),
                          Arg<AudioUnitElement>(params, nArgs, 3), Arg<Float32>(params, nArgs, 4),
                          Arg<UInt32>(params, nArgs, 5));
    case kAudioUnitResetSelect:
      // A reset starts the timeline again: the next slice pulls its input even when its
      // time stamp equals the last one rendered.
      plug->mLastRenderSampleTime = -1.0;
      plug->Reset();
      return noErr;
    case kAudioUnitAddPropertyListenerSelect: {
      PropertyListener listener;
      listener.mPropID = Arg<AudioUnitPropertyID>(params, nArgs, 1);
      listener.mListenerProc = Arg<AudioUnitPropertyListenerProc>(params, nArgs, 2);
      listener.mProcArgs = Arg<void*>(params, nArgs, 3);
      if (!listener.mListenerProc) {
        return paramErr;
      }
      for (int i = 0; i < plug->mPropertyListeners.GetSize(); ++i) {
        PropertyListener* p = plug->mPropertyListeners.Get(i);
        if (p->mPropID == listener.mPropID && p->mListenerProc == listener.mListenerProc) {
          return noErr;
        }
      }
      PropertyListener* added = new PropertyListener(listener);
      if (!plug->mPropertyListeners.Add(added)) {
        delete added;
        return memFullErr;
      }
      return noErr;
    }
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: {
      AudioUnitPropertyID propID = Arg<AudioUnitPropertyID>(params, nArgs, 1);
      AudioUnitPropertyListenerProc proc = Arg<AudioUnitPropertyListenerProc>(params, nArgs, 2);
      bool withUserData = select == kAudioUnitRemovePropertyListenerWithUserDataSelect;
      void* userData = withUserData ? Arg<void*>(params, nArgs, 3) : nullptr;
      for (int i = 0; i < plug->mPropertyListeners.GetSize(); ++i) {
        PropertyListener* p = plug->mPropertyListeners.Get(i);
        if (p->mPropID == propID && p->mListenerProc == proc && (!withUserData || p->mProcArgs == userData)) {
          plug->mPropertyListeners.Delete(i, true);
          break;
        }
      }
      return noErr;
    }
    case kAudioUnitRenderSelect:
      return RenderProc(plug, Arg<AudioUnitRenderActionFlags*>(params, nArgs, 1),
                        Arg<const AudioTimeStamp*>(params, nArgs, 2), Arg<UInt32>(params, nArgs, 3),
                        Arg<UInt32>(params, nArgs, 4), Arg<AudioBufferList*>(params, nArgs, 5));
    case kAudioUnitAddRenderNotifySelect: {
      AURenderCallbackStruct notify;
      notify.inputProc = Arg<AURenderCallback>(params, nArgs, 1);
      notify.inputProcRefCon = Arg<void*>(params, nArgs, 2);
      if (!notify.inputProc) {
        return paramErr;
      }
      AURenderCallbackStruct* added = new AURenderCallbackStruct(notify);
      if (!plug->mRenderNotify.Add(added)) {
        delete added;
        return memFullErr;
      }
      return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect: {
      AURenderCallback proc = Arg<AURenderCallback>(params, nArgs, 1);
      for (int i = 0; i < plug->mRenderNotify.GetSize(); ++i) {
        if (plug->mRenderNotify.Get(i)->inputProc == proc) {
          plug->mRenderNotify.Delete(i, true);
          break;
        }
      }
      return noErr;
    }
    case kAudioUnitScheduleParametersSelect: {
      const AudioUnitParameterEvent* events = Arg<const AudioUnitParameterEvent*>(params, nArgs, 1);
      UInt32 nEvents = Arg<UInt32>(params, nArgs, 2);
      if (!events && nEvents > 0) {
        return paramErr;
      }
      for (UInt32 i = 0; i < nEvents; ++i) {
        const AudioUnitParameterEvent& e = events[i];
        if (e.eventType == kParameterEvent_Immediate) {
          ComponentResult r = SetParamProc(plug, e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                                           e.eventValues.immediate.bufferOffset);
          if (r != noErr) {
            return r;
          }
        }
      }
      return noErr;
    }
    case kMusicDeviceMIDIEventSelect: {
      IMidiMsg msg(static_cast<int>(Arg<UInt32>(params, nArgs, 4)),
                   static_cast<unsigned char>(Arg<UInt32>(params, nArgs, 1)),
                   static_cast<unsigned char>(Arg<UInt32>(params, nArgs, 2)),
                   static_cast<unsigned char>(Arg<UInt32>(params, nArgs, 3)));
      plug->ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return noErr;
    case kMusicDeviceStartNoteSelect: {
      NoteInstanceID* pNoteID = Arg<NoteInstanceID*>(params, nArgs, 3);
      UInt32 offset = Arg<UInt32>(params, nArgs, 4);
      const MusicDeviceNoteParams* pNote = Arg<const MusicDeviceNoteParams*>(params, nArgs, 5);
      if (!pNote) {
        return paramErr;
      }
      int note = static_cast<int>(pNote->mPitch);
      int velocity = static_cast<int>(pNote->mVelocity);
      if (pNoteID) {
        *pNoteID = static_cast<NoteInstanceID>(note);
      }
      IMidiMsg msg;
      msg.MakeNoteOnMsg(note, velocity, static_cast<int>(offset));
      plug->ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDeviceStopNoteSelect: {
      NoteInstanceID noteID = Arg<NoteInstanceID>(params, nArgs, 2);
      UInt32 offset = Arg<UInt32>(params, nArgs, 3);
      IMidiMsg msg;
      msg.MakeNoteOffMsg(static_cast<int>(noteID), static_cast<int>(offset));
      plug->ProcessMidiMsg(&msg);
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

ComponentResult IEffectAU::IEffectAUCarbonViewEntry(ComponentParameters* params, void* pView)
{
  if (!params) {
    return paramErr;
  }
  int select = params->what;
  TRACE("%d:%s", select, AUSelectStr(select));
  int nArgs = params->paramSize / static_cast<int>(sizeof(long));
  CarbonViewRecord* view = static_cast<CarbonViewRecord*>(pView);

  if (select == kComponentOpenSelect) {
    if (nArgs < 1) {
      return paramErr;
    }
    view = new CarbonViewRecord{ Arg<ComponentInstance>(params, nArgs, 1), nullptr };
    SetComponentInstanceStorage(view->mCI, reinterpret_cast<Handle>(view));
    return noErr;
  }
  if (select == kComponentCloseSelect) {
    if (view && view->mPlug && view->mPlug->GetGUI()) {
      CloseCarbonWindow(view->mPlug->GetGUI(), 0);
    }
    delete view;
    return noErr;
  }
  if (select == kAudioUnitCarbonViewCreateSelect) {
    if (!view || nArgs < 6) {
      return paramErr;
    }
    AudioUnit unit = Arg<AudioUnit>(params, nArgs, 1);
    void* window = Arg<void*>(params, nArgs, 2);
    void* parentControl = Arg<void*>(params, nArgs, 3);
    void** outControl = Arg<void**>(params, nArgs, 6);
    view->mPlug = reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(unit));
    if (!view->mPlug || !view->mPlug->GetGUI()) {
      return badComponentSelector;
    }
    if (!OpenCarbonWindow(view->mPlug->GetGUI(), window, parentControl, outControl, 0)) {
      return badComponentSelector;
    }
    return noErr;
  }
  return badComponentSelector;
}

// ---- properties ----

// Sets the size of a property value; with data, refuses a buffer smaller than the value.
#define ASSERT_SIZE(size)                                   \
  do {                                                      \
    UInt32 hostSize_ = *pDataSize;                          \
    *pDataSize = static_cast<UInt32>(size);                 \
    if (pData && hostSize_ < *pDataSize) {                  \
      return kAudioUnitErr_InvalidPropertyValue;            \
    }                                                       \
  } while (0)

#define ASSERT_SCOPE(requiredScope)           \
  do {                                        \
    if (scope != (requiredScope)) {           \
      return kAudioUnitErr_InvalidProperty;   \
    }                                         \
  } while (0)

ComponentResult IEffectAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32* pDataSize, Boolean* pWriteable, void* pData)
{
  TRACE("%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", propID, AUPropertyStr(propID), scope, AUScopeStr(scope),
        element);

  switch (propID) {
    case kAudioUnitProperty_ClassInfo: {
      ASSERT_SIZE(sizeof(CFPropertyListRef));
      *pWriteable = true;
      if (!pData) {
        return noErr;
      }
      return GetState(static_cast<CFPropertyListRef*>(pData));
    }
    case kAudioUnitProperty_MakeConnection: {
      if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) {
        return kAudioUnitErr_InvalidProperty;
      }
      *pDataSize = sizeof(AudioUnitConnection);
      *pWriteable = true;
      return noErr;
    }
    case kAudioUnitProperty_SampleRate: {
      ASSERT_SIZE(sizeof(Float64));
      *pWriteable = true;
      if (pData) {
        *static_cast<Float64*>(pData) = GetSampleRate();
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterList: {
      int n = scope == kAudioUnitScope_Global ? NParams() : 0;
      ASSERT_SIZE(n * sizeof(AudioUnitParameterID));
      if (pData && n > 0) {
        AudioUnitParameterID* ids = static_cast<AudioUnitParameterID*>(pData);
        for (int i = 0; i < n; ++i) {
          ids[i] = static_cast<AudioUnitParameterID>(i);
        }
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      if (!IsValidParamID(element)) {
        return kAudioUnitErr_InvalidParameter;
      }
      ASSERT_SIZE(sizeof(AudioUnitParameterInfo));
      if (!pData) {
        return noErr;
      }
      return GetParameterInfo(element, static_cast<AudioUnitParameterInfo*>(pData));
    }
    case kAudioUnitProperty_FastDispatch:
      return GetProc(element, pDataSize, pData);
    case kAudioUnitProperty_StreamFormat: {
      BusChannels* bus = GetBus(scope, element);
      if (!bus) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_SIZE(sizeof(AudioStreamBasicDescription));
      *pWriteable = true;
      if (pData) {
        int nChannels = bus->mNHostChannels >= 0 ? bus->mNHostChannels : bus->mNPlugChannels;
        MakeDefaultASBD(static_cast<AudioStreamBasicDescription*>(pData), GetSampleRate(), nChannels, false);
      }
      return noErr;
    }
    case kAudioUnitProperty_ElementCount: {
      ASSERT_SIZE(sizeof(UInt32));
      if (pData) {
        UInt32 n = 0;
        if (scope == kAudioUnitScope_Input) {
          n = static_cast<UInt32>(mInBuses.GetSize());
        } else if (scope == kAudioUnitScope_Output) {
          n = static_cast<UInt32>(mOutBuses.GetSize());
        } else if (scope == kAudioUnitScope_Global) {
          n = 1;
        }
        *static_cast<UInt32*>(pData) = n;
      }
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      ASSERT_SIZE(sizeof(Float64));
      if (pData) {
        *static_cast<Float64*>(pData) = GetSampleRate() > 0.0 ? GetLatency() / GetSampleRate() : 0.0;
      }
      return noErr;
    }
    case kAudioUnitProperty_SupportedNumChannels: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      int n = NChannelIO();
      ASSERT_SIZE(n * sizeof(AUChannelInfo));
      if (pData) {
        AUChannelInfo* info = static_cast<AUChannelInfo*>(pData);
        for (int i = 0; i < n; ++i) {
          const ChannelIO* io = GetChannelIO(i);
          info[i].inChannels = static_cast<SInt16>(io->mIn);
          info[i].outChannels = static_cast<SInt16>(io->mOut);
          TRACE("IO:%d:%d", io->mIn, io->mOut);
        }
      }
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      ASSERT_SIZE(sizeof(UInt32));
      *pWriteable = true;
      if (pData) {
        *static_cast<UInt32*>(pData) = static_cast<UInt32>(GetBlockSize());
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueStrings: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      if (!IsValidParamID(element)) {
        return kAudioUnitErr_InvalidParameter;
      }
      IParam* param = GetParam(static_cast<int>(element));
      int n = param->GetNDisplayTexts();
      if (n == 0) {
        *pDataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_SIZE(sizeof(CFArrayRef));
      if (pData) {
        // The array owns its strings, so the host's release of the array frees them.
        CFMutableArrayRef texts = CFArrayCreateMutable(nullptr, n, &kCFTypeArrayCallBacks);
        for (int i = 0; i < n; ++i) {
          CFStringRef text = MakeCFStr(param->GetDisplayText(i));
          CFArrayAppendValue(texts, text);
          CFRelease(text);
        }
        *static_cast<CFArrayRef*>(pData) = texts;
      }
      return noErr;
    }
    case kAudioUnitProperty_GetUIComponentList: {
      if (!GetGUI()) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_SIZE(sizeof(ComponentDescription));
      if (pData) {
        ComponentDescription* cd = static_cast<ComponentDescription*>(pData);
        cd->componentType = kAudioUnitCarbonViewComponentType;
        cd->componentSubType = static_cast<OSType>(GetUniqueID());
        cd->componentManufacturer = static_cast<OSType>(GetMfrID());
        cd->componentFlags = 0;
        cd->componentFlagsMask = 0;
      }
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      ASSERT_SIZE(sizeof(UInt32));
      *pWriteable = true;
      if (pData) {
        *static_cast<UInt32*>(pData) = mBypassed ? 1 : 0;
      }
      return noErr;
    }
    case kAudioUnitProperty_LastRenderError: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      ASSERT_SIZE(sizeof(OSStatus));
      if (pData) {
        *static_cast<OSStatus*>(pData) = noErr;
      }
      return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback: {
      if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
          element >= static_cast<UInt32>(mInBuses.GetSize())) {
        return kAudioUnitErr_InvalidProperty;
      }
      *pDataSize = sizeof(AURenderCallbackStruct);
      *pWriteable = true;
      return noErr;
    }
    case kAudioUnitProperty_FactoryPresets: {
      ASSERT_SIZE(sizeof(CFArrayRef));
      if (pData) {
        *static_cast<CFArrayRef*>(pData) = CopyFactoryPresets();
      }
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      // Four words: the host's user data and the three procedures the adapter keeps.
      *pDataSize = 4 * sizeof(void*);
      *pWriteable = true;
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      ASSERT_SIZE(sizeof(AUPreset));
      *pWriteable = true;
      if (pData) {
        AUPreset* preset = static_cast<AUPreset*>(pData);
        int idx = GetCurrentPresetIdx();
        preset->presetNumber = idx;
        preset->presetName = MakeCFStr(GetPresetName(idx));
      }
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI: {
      // the Cocoa view needs Mac OS X 10.5 or later
      if (!GetGUI() || IGraphicsMac::GetUserOSVersion() < 0x1050) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_SIZE(sizeof(AudioUnitCocoaViewInfo));
      if (pData) {
        CFStringRef bundleID = MakeCFStr(mBundleID.Get());
        CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
        CFRelease(bundleID);
        if (!bundle) {
          return kAudioUnitErr_InvalidProperty;
        }
        AudioUnitCocoaViewInfo* info = static_cast<AudioUnitCocoaViewInfo*>(pData);
        info->mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
        info->mCocoaAUViewClass[0] = MakeCFStr(mCocoaViewFactoryClassName.Get());
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue: {
      if (scope != kAudioUnitScope_Global || !pData) {
        *pDataSize = sizeof(AudioUnitParameterStringFromValue);
        return noErr;
      }
      ASSERT_SIZE(sizeof(AudioUnitParameterStringFromValue));
      AudioUnitParameterStringFromValue* request = static_cast<AudioUnitParameterStringFromValue*>(pData);
      if (!IsValidParamID(request->inParamID)) {
        return kAudioUnitErr_InvalidParameter;
      }
      IParam* param = GetParam(static_cast<int>(request->inParamID));
      double value = request->inValue ? *request->inValue : param->Value();
      // Truncation toward zero, limited to the int range.
      int idx = value >= 2147483647.0 ? 2147483647 : value <= -2147483648.0 ? (-2147483647 - 1) : value == value ? static_cast<int>(value) : 0;
      request->outString = MakeCFStr(param->GetDisplayText(idx));
      return noErr;
    }
    case kAudioUnitProperty_ParameterIDName: {
      if (scope != kAudioUnitScope_Global || !pData) {
        *pDataSize = sizeof(AudioUnitParameterNameInfo);
        return noErr;
      }
      ASSERT_SIZE(sizeof(AudioUnitParameterNameInfo));
      AudioUnitParameterNameInfo* request = static_cast<AudioUnitParameterNameInfo*>(pData);
      if (!IsValidParamID(request->inID)) {
        return kAudioUnitErr_InvalidParameter;
      }
      char name[IParam::kTextBytes];
      snprintf(name, sizeof name, "%s", GetParam(static_cast<int>(request->inID))->GetNameForHost());
      if (request->inDesiredLength != -1) {
        int n = std::min<int>(request->inDesiredLength, IParam::kTextBytes - 1);
        name[std::max(n, 0)] = 0;
      }
      request->outName = MakeCFStr(name);
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString: {
      if (scope != kAudioUnitScope_Global || !pData) {
        *pDataSize = sizeof(AudioUnitParameterValueFromString);
        return noErr;
      }
      ASSERT_SIZE(sizeof(AudioUnitParameterValueFromString));
      AudioUnitParameterValueFromString* request = static_cast<AudioUnitParameterValueFromString*>(pData);
      if (!IsValidParamID(request->inParamID)) {
        return kAudioUnitErr_InvalidParameter;
      }
      char* text = CStrLocal(request->inString);
      int value = 0;
      if (text && GetParam(static_cast<int>(request->inParamID))->MapDisplayText(text, &value)) {
        request->outValue = static_cast<AudioUnitParameterValue>(value);
      }
      free(text);
      return noErr;
    }
    case kMusicDeviceProperty_InstrumentCount: {
      ASSERT_SCOPE(kAudioUnitScope_Global);
      if (!IsInst()) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_SIZE(sizeof(UInt32));
      if (pData) {
        *static_cast<UInt32*>(pData) = 1;
      }
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IEffectAU::GetParameterInfo(AudioUnitElement paramID, AudioUnitParameterInfo* info)
{
  IParam* param = GetParam(static_cast<int>(paramID));
  memset(info, 0, sizeof(AudioUnitParameterInfo));
  info->flags = kAudioUnitParameterFlag_CFNameRelease | kAudioUnitParameterFlag_HasCFNameString |
                kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
  const char* name = param->GetNameForHost();
  info->cfNameString = MakeCFStr(name);
  snprintf(info->name, sizeof info->name, "%s", name);
  switch (param->Type()) {
    case IParam::kTypeBool:
      info->unit = kAudioUnitParameterUnit_Boolean;
      break;
    case IParam::kTypeEnum:
      info->unit = kAudioUnitParameterUnit_Indexed;
      break;
    default: {
      const char* label = param->GetLabelForHost();
      if (label && *label) {
        info->unit = kAudioUnitParameterUnit_CustomUnit;
        info->unitName = MakeCFStr(label);
      } else {
        info->unit = kAudioUnitParameterUnit_Generic;
      }
      break;
    }
  }
  double minVal = 0.0, maxVal = 0.0;
  param->GetBounds(&minVal, &maxVal);
  info->minValue = static_cast<AudioUnitParameterValue>(minVal);
  info->maxValue = static_cast<AudioUnitParameterValue>(maxVal);
  info->defaultValue = static_cast<AudioUnitParameterValue>(param->Value());
  info->clumpID = 0;
  return noErr;
}

CFArrayRef IEffectAU::CopyFactoryPresets()
{
  int n = NPresets();
  CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, n, nullptr);
  for (int i = 0; i < n; ++i) {
    CFStringRef name = MakeCFStr(GetPresetName(i));
    // A record already handed out with the same number and name is handed out again.
    AUPreset* record = nullptr;
    for (int j = mPresetRecords.GetSize() - 1; j >= 0 && !record; --j) {
      AUPreset* r = mPresetRecords.Get(j);
      if (r->presetNumber == i && CFEqual(r->presetName, name)) {
        record = r;
      }
    }
    if (!record) {
      record = new AUPreset{ i, name };
      if (!mPresetRecords.Add(record)) {
        delete record;
        CFRelease(name);
        continue;
      }
    } else {
      CFRelease(name);
    }
    CFArrayAppendValue(presets, record);
  }
  return presets;
}

ComponentResult IEffectAU::GetProc(AudioUnitElement selector, UInt32* pDataSize, void* pData)
{
  TRACE("%s:(%d:%s)", pData ? "" : "Info", selector, AUSelectStr(static_cast<int>(selector)));
  void* proc = nullptr;
  switch (selector) {
    case kAudioUnitGetParameterSelect:
      proc = reinterpret_cast<void*>(&IEffectAU::GetParamProc);
      break;
    case kAudioUnitSetParameterSelect:
      proc = reinterpret_cast<void*>(&IEffectAU::SetParamProc);
      break;
    case kAudioUnitRenderSelect:
      proc = reinterpret_cast<void*>(&IEffectAU::RenderProc);
      break;
    default:
      return kAudioUnitErr_InvalidElement;
  }
  ASSERT_SIZE(sizeof(void*));
  if (pData) {
    memcpy(pData, &proc, sizeof proc);
  }
  return noErr;
}

ComponentResult IEffectAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32 dataSize, const void* pData)
{
  TRACE("(%d:%s):(%d:%s):%d", propID, AUPropertyStr(propID), scope, AUScopeStr(scope), element);
  InformListeners(propID, scope);

// A value smaller than the record it stands for is refused before it is read.
#define ASSERT_DATA(type)                                           \
  do {                                                              \
    if (!pData || dataSize < sizeof(type)) {                        \
      return kAudioUnitErr_InvalidPropertyValue;                    \
    }                                                               \
  } while (0)

  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      ASSERT_DATA(CFPropertyListRef);
      return SetState(*static_cast<const CFPropertyListRef*>(pData));
    case kAudioUnitProperty_MakeConnection:
      if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_DATA(AudioUnitConnection);
      return MakeConnection(static_cast<const AudioUnitConnection*>(pData));
    case kAudioUnitProperty_SampleRate: {
      ASSERT_DATA(Float64);
      Float64 rate = *static_cast<const Float64*>(pData);
      if (!(rate > 0.0)) {
        return kAudioUnitErr_InvalidPropertyValue;
      }
      SetSampleRate(rate);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
      ASSERT_DATA(AudioStreamBasicDescription);
      return SetStreamFormat(scope, element, static_cast<const AudioStreamBasicDescription*>(pData));
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      ASSERT_DATA(UInt32);
      UInt32 frames = *static_cast<const UInt32*>(pData);
      if (frames > 0x7fffffff / static_cast<UInt32>(std::max(1, std::max(NInChannels(), NOutChannels())))) {
        return kAudioUnitErr_InvalidPropertyValue;
      }
      SetBlockSize(static_cast<int>(frames));
      if (GetBlockSize() != static_cast<int>(frames)) {
        return memFullErr;
      }
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
      ASSERT_DATA(UInt32);
      mBypassed = *static_cast<const UInt32*>(pData) != 0;
      Reset();
      return noErr;
    case kAudioUnitProperty_SetRenderCallback: {
      if (scope != kAudioUnitScope_Input || element >= static_cast<UInt32>(mInBuses.GetSize())) {
        return kAudioUnitErr_InvalidProperty;
      }
      ASSERT_DATA(AURenderCallbackStruct);
      const AURenderCallbackStruct* callback = static_cast<const AURenderCallbackStruct*>(pData);
      InputBusConnection* connection = mInBusConnections.Get(static_cast<int>(element));
      memset(connection, 0, sizeof(InputBusConnection));
      if (callback->inputProc) {
        connection->mUpstreamRenderCallback = *callback;
      }
      AssessInputConnections();
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: {
      if (scope != kAudioUnitScope_Global) {
        return kAudioUnitErr_InvalidProperty;
      }
      if (!pData && dataSize > 0) {
        return kAudioUnitErr_InvalidPropertyValue;
      }
      // Only the words the host gave are read; older hosts pass fewer procedures.
      void* words[4] = {};
      memcpy(words, pData ? pData : words, std::min<size_t>(dataSize / sizeof(void*), 4) * sizeof(void*));
      mHostUserData = words[0];
      mBeatAndTempoProc = reinterpret_cast<HostCallback_GetBeatAndTempo>(words[1]);
      mMusicalTimeLocationProc = reinterpret_cast<HostCallback_GetMusicalTimeLocation>(words[2]);
      mTransportStateProc = reinterpret_cast<HostCallback_GetTransportState>(words[3]);
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      ASSERT_DATA(AUPreset);
      RestorePreset(static_cast<const AUPreset*>(pData)->presetNumber);
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
#undef ASSERT_DATA
}

ComponentResult IEffectAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioStreamBasicDescription* format)
{
  int nHostChannels = static_cast<int>(std::min<UInt32>(format->mChannelsPerFrame, 0x7fffffff));
  BusChannels* bus = GetBus(scope, element);
  if (!bus) {
    return kAudioUnitErr_InvalidProperty;
  }
  bus->mNHostChannels = 0;
  int busIdx = static_cast<int>(element);
  bool legal = nHostChannels <= bus->mNPlugChannels && CheckLegalIO(scope, busIdx, nHostChannels);
  bool linearPCM = format->mFormatID == kAudioFormatLinearPCM;
  bool canonical = (format->mFormatFlags & kAudioFormatFlagsNativeFloatPacked) != 0;
  bool accepted = linearPCM && canonical && nHostChannels >= 1 && legal;
  TRACE("%d:%d:%s:%s:%s", nHostChannels, bus->mNPlugChannels, linearPCM ? "linearPCM" : "notLinearPCM",
        canonical ? "canonicalFormat" : "notCanonicalFormat", accepted ? "connectionOK" : "connectionNotOK");
  if (accepted) {
    bus->mNHostChannels = nHostChannels;
    if (format->mSampleRate > 0.0) {
      SetSampleRate(format->mSampleRate);
    }
  }
  AssessInputConnections();
  if (!accepted) {
    return kAudioUnitErr_InvalidProperty;
  }
  return noErr;
}

ComponentResult IEffectAU::MakeConnection(const AudioUnitConnection* connection)
{
  if (connection->destInputNumber >= static_cast<UInt32>(mInBuses.GetSize())) {
    return kAudioUnitErr_InvalidProperty;
  }
  int busIdx = static_cast<int>(connection->destInputNumber);
  InputBusConnection* record = mInBusConnections.Get(busIdx);
  memset(record, 0, sizeof(InputBusConnection));
  AudioUnit source = connection->sourceAudioUnit;
  if (source) {
    AudioStreamBasicDescription format;
    UInt32 size = sizeof format;
    ComponentResult r = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                             connection->sourceOutputNumber, &format, &size);
    if (r == noErr) {
      r = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, connection->destInputNumber,
                      sizeof format, &format);
    }
    if (r != noErr) {
      AssessInputConnections();
      return kAudioUnitErr_InvalidProperty;
    }
    record->mUpstreamUnit = source;
    record->mUpstreamBusIdx = connection->sourceOutputNumber;
    AudioUnitRenderProc proc = nullptr;
    size = sizeof proc;
    if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                             kAudioUnitRenderSelect, &proc, &size) == noErr && proc) {
      record->mUpstreamRenderProc = proc;
      record->mUpstreamObj = GetComponentInstanceStorage(source);
    }
  }
  AssessInputConnections();
  return noErr;
}

void IEffectAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  TRACE("%d:%s", propID, AUPropertyStr(propID));
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    PropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->mPropID == propID) {
      listener->mListenerProc(listener->mProcArgs, mCI, propID, scope, 0);
    }
  }
}

// ---- buses and connections ----

IEffectAU::BusChannels* IEffectAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
  if (busIdx > 0x7fffffff) {
    return nullptr;
  }
  int idx = static_cast<int>(busIdx);
  switch (scope) {
    case kAudioUnitScope_Input:
      return mInBuses.Get(idx);
    case kAudioUnitScope_Output:
    case kAudioUnitScope_Global:
      return mOutBuses.GetSize() > 0 ? mOutBuses.Get(idx) : nullptr;
    default:
      return nullptr;
  }
}

static int NHostChannelsConnected(const BASE_PtrList<IEffectAU::BusChannels>* buses, int excludeIdx)
{
  bool any = false;
  int n = 0;
  for (int i = 0; i < buses->GetSize(); ++i) {
    int nHost = buses->Get(i)->mNHostChannels;
    if (i != excludeIdx && nHost >= 0) {
      n += nHost;
      any = true;
    }
  }
  return any ? n : -1;
}

bool IEffectAU::CheckLegalIO()
{
  int nIn = NHostChannelsConnected(&mInBuses, -1);
  int nOut = NHostChannelsConnected(&mOutBuses, -1);
  return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

bool IEffectAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  if (scope == kAudioUnitScope_Input) {
    int nIn = std::max(NHostChannelsConnected(&mInBuses, busIdx), 0) + nChannels;
    int nOut = mActive ? NHostChannelsConnected(&mOutBuses, -1) : -1;
    return LegalIO(nIn, nOut);
  }
  int nIn = mActive ? NHostChannelsConnected(&mInBuses, -1) : -1;
  int nOut = std::max(NHostChannelsConnected(&mOutBuses, busIdx), 0) + nChannels;
  return LegalIO(nIn, nOut);
}

void IEffectAU::AssessInputConnections()
{
  TRACE("%d", mInBuses.GetSize());
  BASE_MutexLock lock(mMutex);
  SetInputChannelConnections(0, NInChannels(), false);
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    InputBusConnection* connection = mInBusConnections.Get(i);
    if (connection->mUpstreamRenderProc && connection->mUpstreamObj) {
      connection->mInputType = eDirectFastProc;
    } else if (connection->mUpstreamUnit) {
      connection->mInputType = eDirectNoFastProc;
    } else if (connection->mUpstreamRenderCallback.inputProc) {
      connection->mInputType = eRenderCallback;
    } else {
      connection->mInputType = eNotConnected;
    }
    bus->mConnected = connection->mInputType != eNotConnected;
    if (bus->mConnected) {
      if (bus->mNHostChannels < 0) {
        TRACE("AssumeChannels:%d", bus->mNPlugChannels);
        bus->mNHostChannels = bus->mNPlugChannels;
      }
      int nConnected = bus->mNHostChannels;
      SetInputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
      SetInputChannelConnections(bus->mPlugChannelStartIdx + nConnected,
                                 std::max(bus->mNPlugChannels - nConnected, 0), false);
    }
    TRACE("%d:%s:%d:%d:%d", i, AUInputTypeStr(connection->mInputType), bus->mPlugChannelStartIdx,
          bus->mNPlugChannels, bus->mNHostChannels);
  }
}

void IEffectAU::ClearConnections()
{
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
    memset(mInBusConnections.Get(i), 0, sizeof(InputBusConnection));
  }
  for (int i = 0; i < mOutBuses.GetSize(); ++i) {
    BusChannels* bus = mOutBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
  }
}

// ---- render ----

ComponentResult IEffectAU::PullInput(const AudioTimeStamp* pTimestamp, UInt32 nFrames)
{
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMaxBusChannels];
  } bufList;
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    if (!bus->mConnected) {
      continue;
    }
    InputBusConnection* connection = mInBusConnections.Get(i);
    int nHost = std::min(bus->mNHostChannels, kMaxBusChannels);
    bufList.mNumberBuffers = static_cast<UInt32>(nHost);
    for (int k = 0; k < nHost; ++k) {
      bufList.mBuffers[k].mNumberChannels = 1;
      bufList.mBuffers[k].mDataByteSize = nFrames * sizeof(Float32);
      bufList.mBuffers[k].mData = nullptr;
    }
    AudioUnitRenderActionFlags flags = 0;
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(&bufList);
    ComponentResult r = noErr;
    switch (connection->mInputType) {
      case eDirectNoFastProc:
        r = AudioUnitRender(connection->mUpstreamUnit, &flags, pTimestamp, connection->mUpstreamBusIdx, nFrames, list);
        break;
      case eRenderCallback: {
        for (int k = 0; k < nHost; ++k) {
          int ch = bus->mPlugChannelStartIdx + k;
          bufList.mBuffers[k].mData = ch < NInChannels() ? mInScratchBuf.Get() + ch * nFrames : nullptr;
        }
        r = connection->mUpstreamRenderCallback.inputProc(connection->mUpstreamRenderCallback.inputProcRefCon,
                                                          &flags, pTimestamp, static_cast<UInt32>(i), nFrames, list);
        break;
      }
      case eDirectFastProc:
        r = connection->mUpstreamRenderProc(connection->mUpstreamObj, &flags, pTimestamp, connection->mUpstreamBusIdx,
                                            nFrames, list);
        break;
      default: {
        bool inputBusAssessed = false;
        BASE_ASSERT(kAssertFile, inputBusAssessed);
        break;
      }
    }
    if (r != noErr) {
      return r;
    }
    // The upstream must give every buffer its samples.
    if (bufList.mNumberBuffers < static_cast<UInt32>(nHost)) {
      return kAudioUnitErr_NoConnection;
    }
    for (int k = 0; k < nHost; ++k) {
      if (!bufList.mBuffers[k].mData || bufList.mBuffers[k].mDataByteSize < nFrames * sizeof(Float32)) {
        return kAudioUnitErr_NoConnection;
      }
    }
    for (int k = 0; k < nHost; ++k) {
      float* data = static_cast<float*>(bufList.mBuffers[k].mData);
      AttachInputBuffers(bus->mPlugChannelStartIdx + k, 1, &data, static_cast<int>(nFrames));
    }
  }
  mLastRenderSampleTime = pTimestamp->mSampleTime;
  return noErr;
}

ComponentResult IEffectAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags*, const AudioTimeStamp* pTimestamp,
                                      UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList)
{
  IEffectAU* plug = static_cast<IEffectAU*>(pPlug);
  if (!plug) {
    return paramErr;
  }
  TRACE("%d:%d:%d", outputBusIdx, nFrames, pOutBufList ? static_cast<int>(pOutBufList->mNumberBuffers) : 0);
  // The fast-dispatch path takes the lock itself, so blocks never overlap parameter
  // changes, resets or state restores made on other threads.
  BASE_MutexLock lock(plug->mMutex);

  if (plug->mBypassed) {
    return noErr;
  }
  if (!pTimestamp || !(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBusIdx >= static_cast<UInt32>(plug->mOutBuses.GetSize()) ||
      nFrames > static_cast<UInt32>(plug->GetBlockSize()) || !pOutBufList) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  UInt32 nBuffers = pOutBufList->mNumberBuffers;
  for (UInt32 i = 0; i < nBuffers; ++i) {
    const AudioBuffer& b = pOutBufList->mBuffers[i];
    if (b.mData && b.mDataByteSize < nFrames * sizeof(Float32)) {
      return kAudioUnitErr_InvalidPropertyValue;
    }
  }

  for (int i = 0; i < plug->mRenderNotify.GetSize(); ++i) {
    AURenderCallbackStruct* notify = plug->mRenderNotify.Get(i);
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PreRender;
    notify->inputProc(notify->inputProcRefCon, &flags, pTimestamp, outputBusIdx, nFrames, pOutBufList);
  }

  if (pTimestamp->mSampleTime != plug->mLastRenderSampleTime) {
    ComponentResult r = plug->PullInput(pTimestamp, nFrames);
    if (r != noErr) {
      return r;
    }
  }

  BusChannels* bus = plug->mOutBuses.Get(static_cast<int>(outputBusIdx));
  int nConnected = static_cast<int>(std::min(static_cast<UInt32>(bus->mNHostChannels), nBuffers));
  if (!bus->mConnected || bus->mNHostChannels != static_cast<int>(nBuffers)) {
    int nUnconnected = std::max(bus->mNPlugChannels - nConnected, 0);
    plug->SetOutputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
    plug->SetOutputChannelConnections(bus->mPlugChannelStartIdx + nConnected, nUnconnected, false);
    bus->mConnected = true;
  }

  // Host buffers that no plug-in channel of this bus fills get silence; null pointers among
  // them get the silent buffer, never a place past the output scratch buffer.
  int nFilled = std::min(nConnected, bus->mNPlugChannels);
  float* silence = plug->mSilenceBuf.Get();
  if (silence) {
    memset(silence, 0, nFrames * sizeof(float));
  }
  for (UInt32 i = 0; i < nBuffers; ++i) {
    AudioBuffer& b = pOutBufList->mBuffers[i];
    int ch = bus->mPlugChannelStartIdx + static_cast<int>(i);
    if (static_cast<int>(i) < nFilled) {
      if (!b.mData) {
        b.mData = plug->mOutScratchBuf.Get() + ch * static_cast<int>(nFrames);
        b.mDataByteSize = nFrames * sizeof(float);
      }
      float* data = static_cast<float*>(b.mData);
      plug->AttachOutputBuffers(ch, 1, &data);
    } else if (!b.mData) {
      b.mData = silence;
      b.mDataByteSize = nFrames * sizeof(float);
    } else if (nFrames > 0) {
      memset(b.mData, 0, nFrames * sizeof(float));
    }
  }

  plug->ProcessBuffers(0.0f, static_cast<int>(nFrames));

  for (int i = 0; i < plug->mRenderNotify.GetSize(); ++i) {
    AURenderCallbackStruct* notify = plug->mRenderNotify.Get(i);
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PostRender;
    notify->inputProc(notify->inputProcRefCon, &flags, pTimestamp, outputBusIdx, nFrames, pOutBufList);
  }
  return noErr;
}

// ---- transport ----

int IEffectAU::GetSamplePos()
{
  if (!mTransportStateProc) {
    return 0;
  }
  Boolean playing = false, changed = false, cycling = false;
  Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
  mTransportStateProc(mHostUserData, &playing, &changed, &samplePos, &cycling, &cycleStart, &cycleEnd);
  if (!(samplePos > -2147483648.0 && samplePos < 2147483648.0)) {
    return 0;
  }
  return static_cast<int>(samplePos);
}

double IEffectAU::GetTempo()
{
  if (mBeatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mBeatAndTempoProc(mHostUserData, &beat, &tempo);
    if (tempo > 0.0) {
      mTempo = tempo;
    }
  }
  return mTempo;
}

void IEffectAU::GetTimeSig(int* numerator, int* denominator)
{
  if (!mMusicalTimeLocationProc) {
    return;
  }
  UInt32 samplesToNextBeat = 0, denom = 0;
  Float32 num = 0.0f;
  Float64 downBeat = 0.0;
  mMusicalTimeLocationProc(mHostUserData, &samplesToNextBeat, &num, &denom, &downBeat);
  if (numerator) {
    *numerator = num > -2147483648.0f && num < 2147483648.0f ? static_cast<int>(num) : 0;
  }
  if (denominator) {
    *denominator = static_cast<int>(denom);
  }
}

// ---- state ----

ComponentResult IEffectAU::GetState(CFPropertyListRef* pPlist)
{
  ComponentDescription cd;
  ComponentResult r = GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
  if (r != noErr) {
    return r;
  }
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  int version = GetEffectVersion(false);
  SInt32 type = static_cast<SInt32>(cd.componentType);
  SInt32 subtype = static_cast<SInt32>(cd.componentSubType);
  SInt32 mfr = static_cast<SInt32>(cd.componentManufacturer);
  PutNumberInDict(dict, "version", &version, kCFNumberSInt32Type);
  PutNumberInDict(dict, "type", &type, kCFNumberSInt32Type);
  PutNumberInDict(dict, "subtype", &subtype, kCFNumberSInt32Type);
  PutNumberInDict(dict, "manufacturer", &mfr, kCFNumberSInt32Type);
  PutStrInDict(dict, "name", GetPresetName(GetCurrentPresetIdx()));
  ByteChunk chunk;
  if (DoesStateChunks()) {
    if (!SerializeState(&chunk)) {
      *pPlist = dict;
      return noErr;
    }
  } else {
    SerializeParams(&chunk);
  }
  PutDataInDict(dict, "data", &chunk);
  *pPlist = dict;
  return noErr;
}

ComponentResult IEffectAU::SetState(CFPropertyListRef plist)
{
  ComponentDescription cd;
  ComponentResult r = GetComponentInfo(reinterpret_cast<Component>(mCI), &cd, nullptr, nullptr, nullptr);
  if (r != noErr) {
    return r;
  }
  if (!plist || CFGetTypeID(plist) != CFDictionaryGetTypeID()) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(plist);
  SInt32 version, type, subtype, mfr;
  char presetName[64];
  if (!GetNumberFromDict(dict, "version", &version, kCFNumberSInt32Type) ||
      !GetNumberFromDict(dict, "type", &type, kCFNumberSInt32Type) ||
      !GetNumberFromDict(dict, "subtype", &subtype, kCFNumberSInt32Type) ||
      !GetNumberFromDict(dict, "manufacturer", &mfr, kCFNumberSInt32Type) ||
      !GetStrFromDict(dict, "name", presetName, sizeof presetName) ||
      type != static_cast<SInt32>(cd.componentType) || subtype != static_cast<SInt32>(cd.componentSubType) ||
      mfr != static_cast<SInt32>(cd.componentManufacturer)) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  RestorePreset(presetName);
  ByteChunk chunk;
  if (!GetDataFromDict(dict, "data", &chunk)) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  int pos = DoesStateChunks() ? UnserializeState(&chunk, 0) : UnserializeParams(&chunk, 0);
  if (pos <= 0) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  RedrawParamControls();
  return noErr;
}

// ---- parameters ----

ComponentResult IEffectAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                        AudioUnitElement element, AudioUnitParameterValue* pValue)
{
  TRACE("%d:(%d:%s):%d", paramID, scope, AUScopeStr(scope), element);
  IEffectAU* plug = static_cast<IEffectAU*>(pPlug);
  if (!plug || !pValue) {
    return paramErr;
  }
  if (scope != kAudioUnitScope_Global) {
    return kAudioUnitErr_InvalidProperty;
  }
  BASE_MutexLock lock(plug->mMutex);
  if (!plug->IsValidParamID(paramID)) {
    return kAudioUnitErr_InvalidParameter;
  }
  *pValue = static_cast<AudioUnitParameterValue>(plug->GetParam(static_cast<int>(paramID))->Value());
  return noErr;
}

ComponentResult IEffectAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                        AudioUnitElement element, AudioUnitParameterValue value, UInt32)
{
  TRACE("%d:(%d:%s):%d", paramID, scope, AUScopeStr(scope), element);
  IEffectAU* plug = static_cast<IEffectAU*>(pPlug);
  if (!plug) {
    return paramErr;
  }
  if (scope != kAudioUnitScope_Global) {
    return kAudioUnitErr_InvalidProperty;
  }
  BASE_MutexLock lock(plug->mMutex);
  if (!plug->IsValidParamID(paramID)) {
    return kAudioUnitErr_InvalidParameter;
  }
  int idx = static_cast<int>(paramID);
  plug->GetParam(idx)->Set(value);
  if (plug->GetGUI()) {
    plug->GetGUI()->SetParameterFromPlug(idx, value, false);
  }
  plug->OnParamChange(idx);
  return noErr;
}

// ---- host notification ----

ComponentResult IEffectAU::SendAUEvent(AudioUnitEventType type, int idx)
{
  AudioUnitEvent event;
  memset(&event, 0, sizeof event);
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = mCI;
  event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(idx);
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  return AUEventListenerNotify(nullptr, nullptr, &event);
}

void IEffectAU::BeginInformHostOfParamChange(int idx)
{
  TRACE("%d", idx);
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, idx);
}

void IEffectAU::InformHostOfParamChange(int idx, double normalizedValue)
{
  TRACE("%d:%f", idx, normalizedValue);
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, idx);
}

void IEffectAU::EndInformHostOfParamChange(int idx)
{
  TRACE("%d", idx);
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, idx);
}
