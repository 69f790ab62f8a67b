#include "IEffectBase.h"

#include "BASE_Assert.h"
#include "Hosts.h"
#include "IGraphics.h"
#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {


// Marks a value that MakePresetFromNamedParams was not given.
const double kUnnamedParamMarker = 9.999e-08;

void CopyName(char* field, const char* name)
{
  snprintf(field, IEffectBase::kNameBytes, "%s", name ? name : "");
}

void ClearScratch(BASE_TypedBuf<double>& buf)
{
  if (buf.GetSize() > 0) {
    memset(buf.Get(), 0, static_cast<size_t>(buf.GetSize()) * sizeof(double));
  }
}

// Last channel index used by a range of n channels from idx among count records.
int RangeEnd(int idx, int n, int count)
{
  long long end = static_cast<long long>(idx) + n;
  return static_cast<int>(end < count ? end : count);
}

} // namespace

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency,
                         bool /*plugDoesMidi*/, bool plugDoesChunks, bool plugIsInst)
  : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mHost(kHostUninit),
    mHostVersion(0), mDoesStateChunks(plugDoesChunks), mIsInst(plugIsInst),
    mSampleRate(44100.0), mBlockSize(0), mLatency(latency), mGraphics(nullptr),
    mCurrentPresetIdx(0), mInData(4096), mOutData(4096)
{
  TRACE("%s:%s", effectName ? effectName : "", CurrentTime());

  for (int i = 0; i < nParams; ++i) {
    mParams.Add(new IParam());
  }
  for (int i = 0; i < nPresets; ++i) {
    mPresets.Add(new IPreset(i));
  }

  CopyName(mEffectName, effectName);
  CopyName(mProductName, productName);
  CopyName(mMfrName, mfrName);

  if (!channelIOStr) {
    channelIOStr = "";
  }
  int nInputs = 0;
  int nOutputs = 0;
  while (channelIOStr) {
    int nIn = 0;
    int nOut = 0;
    BASE_ASSERT("framework/IEffectBase", sscanf(channelIOStr, "%d-%d", &nIn, &nOut) == 2);
    ChannelIO* io = new ChannelIO;
    io->mIn = nIn;
    io->mOut = nOut;
    mChannelIO.Add(io);
    nInputs = nIn > nInputs ? nIn : nInputs;
    nOutputs = nOut > nOutputs ? nOut : nOutputs;
    channelIOStr = strchr(channelIOStr, ' ');
    if (channelIOStr) {
      ++channelIOStr;
    }
  }

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  BASE_ASSERT("framework/IEffectBase", mInData.GetSize() == nInputs);
  BASE_ASSERT("framework/IEffectBase", mOutData.GetSize() == nOutputs);

  for (int i = 0; i < nInputs; ++i) {
    InChannel* channel = new InChannel;
    channel->mSrc = mInData.Get() + i;
    *channel->mSrc = channel->mScratchBuf.Get();
    mInChannels.Add(channel);
  }
  for (int i = 0; i < nOutputs; ++i) {
    OutChannel* channel = new OutChannel;
    channel->mDest = mOutData.Get() + i;
    *channel->mDest = channel->mScratchBuf.Get();
    mOutChannels.Add(channel);
  }
}

IEffectBase::~IEffectBase()
{
  if (mGraphics) {
    delete mGraphics;
    mGraphics = nullptr;
  }
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
}

void IEffectBase::Reset()
{
  BASE_MutexLock lock(mMutex);
}

void IEffectBase::OnParamChange(int /*paramIdx*/)
{
  BASE_MutexLock lock(mMutex);
}

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  int nIn = NInChannels();
  int nOut = NOutChannels();
  if (nFrames <= 0 || !outputs) {
    return;
  }
  size_t bytes = static_cast<size_t>(nFrames) * sizeof(double);
  // Inputs without a matching output have nowhere to go.
  int i = 0;
  for (; i < nIn && i < nOut; ++i) {
    if (!outputs[i]) {
      continue;
    }
    if (inputs && inputs[i]) {
      if (outputs[i] != inputs[i]) {
        memmove(outputs[i], inputs[i], bytes);
      }
    } else {
      memset(outputs[i], 0, bytes);
    }
  }
  for (; i < nOut; ++i) {
    if (outputs[i]) {
      memset(outputs[i], 0, bytes);
    }
  }
}

void IEffectBase::OnActivate(bool /*active*/)
{
  BASE_MutexLock lock(mMutex);
}

void IEffectBase::ProcessMidiMsg(IMidiMsg* msg)
{
  SendMidiMsg(msg);
}

bool IEffectBase::MidiNoteName(int /*noteNumber*/, char* text)
{
  if (text) {
    text[0] = '\0';
  }
  return false;
}

bool IEffectBase::SerializeState(ByteChunk* chunk)
{
  return SerializeParams(chunk);
}

int IEffectBase::UnserializeState(ByteChunk* chunk, int startPos)
{
  return UnserializeParams(chunk, startPos);
}

void IEffectBase::UserResizedWindow(IRECT* /*rect*/)
{
}

void IEffectBase::AttachGraphics(IGraphics* graphics)
{
  if (!graphics) {
    return;
  }
  BASE_MutexLock lock(mMutex);
  for (int i = 0, n = NParams(); i < n; ++i) {
    graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  }
  graphics->PrepDraw();
  if (mGraphics && mGraphics != graphics) {
    delete mGraphics;
  }
  mGraphics = graphics;
}

void IEffectBase::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize || blockSize < 0) {
    return;
  }
  // When memory runs out the block size becomes what every scratch buffer can hold, so
  // that no block the host is allowed to send overruns one.
  int achieved = blockSize;
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    BASE_TypedBuf<double>& scratch = mInChannels.Get(i)->mScratchBuf;
    scratch.Resize(blockSize);
    ClearScratch(scratch);
    achieved = scratch.GetSize() < achieved ? scratch.GetSize() : achieved;
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    BASE_TypedBuf<double>& scratch = mOutChannels.Get(i)->mScratchBuf;
    scratch.Resize(blockSize);
    ClearScratch(scratch);
    achieved = scratch.GetSize() < achieved ? scratch.GetSize() : achieved;
  }
  // The scratch buffers may have moved; slots that pointed at them must follow.
  RepointUnconnectedChannels();
  mBlockSize = achieved;
}

void IEffectBase::RepointUnconnectedChannels()
{
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) {
      *channel->mSrc = channel->mScratchBuf.Get();
    }
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) {
      *channel->mDest = channel->mScratchBuf.Get();
    }
  }
}

void IEffectBase::SetLatency(int samples)
{
  mLatency = samples;
}

int IEffectBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IEffectBase::GetEffectVersionStr(char* out) const
{
  GetVersionStr(mVersion, out);
}

void IEffectBase::SetHost(const char* name, int version)
{
  mHost = LookUpHost(name);
  mHostVersion = version;
  char versionStr[32];
  GetVersionStr(version, versionStr);
  TRACE("host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", name ? name : "", versionStr);
}

int IEffectBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out)
{
  GetVersionStr(mHostVersion, out);
}

bool IEffectBase::LegalIO(int nIn, int nOut) const
{
  bool legal = false;
  for (int i = 0, n = NChannelIO(); i < n && !legal; ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut);
  }
  TRACE("%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

bool IEffectBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* channel = mInChannels.Get(chIdx);
  return channel && channel->mConnected;
}

bool IEffectBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

void IEffectBase::LimitToStereoIO()
{
  int nIn = NInChannels();
  int nOut = NOutChannels();
  if (nIn > 2) {
    SetInputChannelConnections(2, nIn - 2, false);
  }
  if (nOut > 2) {
    SetOutputChannelConnections(2, nOut - 2, true);
  }
}

void IEffectBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) {
      // Its scratch buffer may still hold converted input; an unconnected input is silent.
      ClearScratch(channel->mScratchBuf);
      *channel->mSrc = channel->mScratchBuf.Get();
    }
  }
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) {
      *channel->mDest = channel->mScratchBuf.Get();
    }
  }
}

void IEffectBase::AttachInputBuffers(int idx, int n, double** ppData, int /*nFrames*/)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) {
      *channel->mSrc = *ppData++;
    }
  }
}

void IEffectBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) {
      const float* source = *ppData++;
      double* scratch = channel->mScratchBuf.Get();
      // Never writes beyond the scratch buffer sized by SetBlockSize.
      int frames = nFrames < channel->mScratchBuf.GetSize() ? nFrames
                                                            : channel->mScratchBuf.GetSize();
      for (int s = 0; s < frames; ++s) {
        scratch[s] = source[s];
      }
      *channel->mSrc = scratch;
    }
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected) {
      *channel->mDest = *ppData++;
    }
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  for (int i = idx < 0 ? 0 : idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected) {
      *channel->mDest = channel->mScratchBuf.Get();
      channel->mFDest = *ppData++;
    }
  }
}

void IEffectBase::ProcessBuffers(double /*sampleType*/, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IEffectBase::ProcessBuffers(float /*sampleType*/, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected && channel->mFDest) {
      const double* source = *channel->mDest;
      float* dest = channel->mFDest;
      for (int s = 0; s < nFrames; ++s) {
        dest[s] = static_cast<float>(source[s]);
      }
    }
  }
}

void IEffectBase::ProcessBuffersAccumulating(float /*sampleType*/, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected && channel->mFDest) {
      const double* source = *channel->mDest;
      float* dest = channel->mFDest;
      for (int s = 0; s < nFrames; ++s) {
        dest[s] += static_cast<float>(source[s]);
      }
    }
  }
}

double IEffectBase::GetSamplesPerBeat()
{
  double tempo = GetTempo();
  if (tempo > 0.0) {
    // 60 seconds per minute over beats per minute
    return 60.0 * mSampleRate / tempo;
  }
  return 0.0;
}

void IEffectBase::SetParameterFromGUI(int idx, double normalizedValue)
{
  TRACE("%d:%f", idx, normalizedValue);
  IParam* param = GetParam(idx);
  if (!param) {
    return;
  }
  BASE_MutexLock lock(mMutex);
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(idx, normalizedValue);
  OnParamChange(idx);
}

void IEffectBase::OnParamReset()
{
  for (int i = 0, n = NParams(); i < n; ++i) {
    OnParamChange(i);
  }
}

void IEffectBase::RedrawParamControls()
{
  if (!mGraphics) {
    return;
  }
  for (int i = 0, n = NParams(); i < n; ++i) {
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
  }
}

bool IEffectBase::SerializeParams(ByteChunk* chunk)
{
  if (!chunk) {
    return false;
  }
  BASE_MutexLock lock(mMutex);
  for (int i = 0, n = NParams(); i < n; ++i) {
    int size = chunk->Size();
    // A put that could not grow the chunk reports the unchanged size.
    if (chunk->Put(GetParam(i)->Value()) <= size) {
      return false;
    }
  }
  return true;
}

int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos)
{
  if (!chunk) {
    return -1;
  }
  BASE_MutexLock lock(mMutex);
  int pos = startPos;
  for (int i = 0, n = NParams(); i < n && pos >= 0; ++i) {
    IParam* param = GetParam(i);
    TRACE("%d %s", i, param->GetNameForHost());
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    // A value that is not in the data leaves the parameter as it was.
    if (pos >= 0) {
      param->Set(v);
    }
  }
  OnParamReset();
  return pos;
}

const char* IEffectBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

IPreset* IEffectBase::NextUninitializedPreset()
{
  for (int i = 0, n = NPresets(); i < n; ++i) {
    IPreset* preset = mPresets.Get(i);
    if (!preset->mInitialized) {
      return preset;
    }
  }
  return nullptr;
}

void IEffectBase::MakePreset(const char* name, ...)
{
  IPreset* preset = NextUninitializedPreset();
  if (!preset) {
    return;
  }
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Resize(0);
  va_list values;
  va_start(values, name);
  for (int i = 0, n = NParams(); i < n; ++i) {
    IParam::EParamType type = GetParam(i)->Type();
    double v;
    if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum) {
      v = static_cast<double>(va_arg(values, int));
    } else {
      v = va_arg(values, double);
    }
    preset->mChunk.Put(v);
  }
  va_end(values);
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = NextUninitializedPreset();
  if (!preset) {
    return;
  }
  preset->mInitialized = true;
  preset->SetName(name);

  int n = NParams();
  BASE_TypedBuf<double> values(4096);
  values.Resize(n);
  BASE_ASSERT("framework/IEffectBase", values.GetSize() == n);
  double* v = values.Get();
  for (int i = 0; i < n; ++i) {
    v[i] = kUnnamedParamMarker;
  }

  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i) {
    int paramIdx = va_arg(args, int);
    BASE_ASSERT("framework/IEffectBase", paramIdx >= 0 && paramIdx < n);
    IParam::EParamType type = GetParam(paramIdx)->Type();
    if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum) {
      v[paramIdx] = static_cast<double>(va_arg(args, int));
    } else {
      v[paramIdx] = va_arg(args, double);
    }
  }
  va_end(args);

  preset->mChunk.Resize(0);
  for (int i = 0; i < n; ++i) {
    if (v[i] == kUnnamedParamMarker) {
      v[i] = GetParam(i)->Value();
    }
    preset->mChunk.Put(v[i]);
  }
}

void IEffectBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i) {
    IPreset* preset = NextUninitializedPreset();
    if (!preset) {
      return;
    }
    preset->mInitialized = true;
    preset->SetName(name ? name : "Default");
    preset->mChunk.Resize(0);
    SerializeParams(&preset->mChunk);
  }
}

void IEffectBase::EnsureDefaultPreset()
{
  if (NPresets() == 0) {
    mPresets.Add(new IPreset(0));
    MakeDefaultPreset(nullptr, 1);
  }
}

void IEffectBase::PruneUninitializedPresets()
{
  for (int i = 0; i < NPresets();) {
    if (mPresets.Get(i)->mInitialized) {
      ++i;
    } else {
      mPresets.Delete(i, true);
    }
  }
}

void IEffectBase::MakeDefaultUserPresetName(const BASE_PtrList<IPreset>* presets, char* out,
                                            int outSize)
{
  int nUser = 0;
  for (int i = 0, n = presets ? presets->GetSize() : 0; i < n; ++i) {
    if (strstr(presets->Get(i)->mName, "user preset")) {
      ++nUser;
    }
  }
  snprintf(out, static_cast<size_t>(outSize), "%s %d", "user preset", nUser + 1);
}

bool IEffectBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset) {
    return false;
  }
  bool restored;
  if (preset->mInitialized) {
    restored = UnserializeParams(&preset->mChunk, 0) > 0;
  } else {
    // Selecting an empty slot stores the current sound in it as a user preset.
    preset->mInitialized = true;
    char name[IPreset::kNameBytes];
    MakeDefaultUserPresetName(&mPresets, name);
    preset->SetName(name);
    preset->mChunk.Resize(0);
    restored = SerializeParams(&preset->mChunk);
  }
  if (restored) {
    mCurrentPresetIdx = idx;
    RedrawParamControls();
  }
  return restored;
}

bool IEffectBase::RestorePreset(const char* name)
{
  if (!name || !name[0]) {
    return false;
  }
  for (int i = 0, n = NPresets(); i < n; ++i) {
    if (strcmp(mPresets.Get(i)->mName, name) == 0) {
      return RestorePreset(i);
    }
  }
  return false;
}

void IEffectBase::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) {
    return;
  }
  preset->mChunk.Resize(0);
  SerializeParams(&preset->mChunk);
  if (name && name[0]) {
    preset->SetName(name);
  }
}

bool IEffectBase::SerializePresets(ByteChunk* chunk)
{
  if (!chunk) {
    return false;
  }
  for (int i = 0, n = NPresets(); i < n; ++i) {
    IPreset* preset = mPresets.Get(i);
    // A put that could not grow the chunk reports the unchanged size; the bank would be
    // unreadable from there on.
    int size = chunk->Size();
    if (chunk->PutStr(preset->mName) <= size) {
      return false;
    }
    size = chunk->Size();
    if (chunk->PutBool(preset->mInitialized) <= size) {
      return false;
    }
    if (preset->mInitialized) {
      size = chunk->Size();
      if (preset->mChunk.Size() > 0 && chunk->PutChunk(&preset->mChunk) <= size) {
        return false;
      }
    }
  }
  return true;
}

int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos)
{
  if (!chunk) {
    return -1;
  }
  BASE_String name;
  int pos = startPos;
  for (int i = 0, n = NPresets(); i < n && pos >= 0; ++i) {
    IPreset* preset = mPresets.Get(i);
    // Each name is read afresh, so an empty name stays empty; a name whose bytes are not
    // all in the data leaves the preset's name alone.
    name.Set("");
    pos = chunk->GetStr(&name, pos);
    if (pos >= 0 && pos <= chunk->Size()) {
      preset->SetName(name.Get());
    }
    pos = chunk->GetBool(&preset->mInitialized, pos);
    if (preset->mInitialized) {
      pos = UnserializeParams(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Resize(0);
        SerializeParams(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IEffectBase::DumpPresetSrcCode(const char* filename, const char* paramEnumNames[])
{
  static bool sDumped = false;
  if (sDumped || !filename || !paramEnumNames) {
    return false;
  }
  FILE* file = fopen(filename, "w");
  if (!file) {
    return false;
  }
  sDumped = true;
  int n = NParams();
  fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", n - 1);
  for (int i = 0; i < n - 1; ++i) {
    const IParam* param = GetParam(i);
    char value[64];
    switch (param->Type()) {
      case IParam::kTypeInt:
      case IParam::kTypeEnum:
        snprintf(value, sizeof(value), "%d", param->Int());
        break;
      case IParam::kTypeBool:
        snprintf(value, sizeof(value), "%s", param->Value() < 0.5 ? "false" : "true");
        break;
      default:
        snprintf(value, sizeof(value), "%.2f", param->Value());
        break;
    }
    fprintf(file, ",\n    %s, %s", paramEnumNames[i], value);
  }
  fprintf(file, ");\n");
  fclose(file);
  return true;
}
