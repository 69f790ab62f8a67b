#pragma once

#include "BASE_Mutex.h"
#include "BASE_PtrList.h"
#include "BASE_TypedBuf.h"
#include "ByteChunk.h"
#include "IEffectStructs.h"
#include "IParam.h"
#include "IPreset.h"

class IGraphics;
struct IRECT;

// The host-independent plug-in object: parameters, presets, legal channel configurations,
// the records that connect host buffers to the processing routine, sample rate, block size,
// latency, the attached editor, and one recursive mutex shared by host, audio thread and
// editor. A host adapter derives from it and supplies the host-specific operations; the
// product derives from the adapter and supplies the signal processing.
class IEffectBase
{
public:
  // Names of the effect, product and maker: 127 characters and a terminator; longer names
  // are cut.
  static const int kNameBytes = 128;

  // One legal channel configuration.
  struct ChannelIO
  {
    int mIn;
    int mOut;
  };

  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr;  // this channel's entry of the input data array
    BASE_TypedBuf<double> mScratchBuf{ 4096 };  // zeros when unconnected, or converted input
  };

  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr;  // this channel's entry of the output data array
    float* mFDest = nullptr;   // single-precision host buffer, null until attached
    BASE_TypedBuf<double> mScratchBuf{ 4096 };  // written when unconnected or for float output
  };

  // channelIOStr lists the legal configurations as "in-out" entries separated by single
  // spaces, for example "1-1 2-2"; a malformed text is a fatal programming error.
  // plugDoesMidi is accepted for the adapter and not kept.
  IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
              int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);

  // Deletes the editor, parameters, presets, channel records and configurations.
  virtual ~IEffectBase();

  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // Virtual operations, in slot order.

  // Host thread, mutex held by the caller: clear the signal processing state.
  virtual void Reset();
  // Any thread, mutex held by the caller: parameter paramIdx has a new value. No blocking
  // beyond the instance lock.
  virtual void OnParamChange(int paramIdx);
  // Render thread: process nFrames samples of every channel. inputs and outputs hold one
  // pointer per channel record (null when there are none). No allocation, no blocking.
  // The default copies inputs to outputs and silences surplus outputs.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // User-interface thread: the editor window opened or closed.
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // Host idle time, any thread.
  virtual void OnIdle() {}
  // Host thread: the unit is activated or deactivated.
  virtual void OnActivate(bool active);
  // Host or render thread: forwards the message to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  // Writes a name for a note into text; the default writes the empty text and returns false.
  virtual bool MidiNoteName(int noteNumber, char* text);
  // Host thread: the state a plug-in with state chunks saves; by default the parameters.
  virtual bool SerializeState(ByteChunk* chunk);
  virtual int UnserializeState(ByteChunk* chunk, int startPos);
  // Editor thread: tell the host a user gesture on parameter idx begins, changes the value
  // (normalised to [0, 1]) and ends.
  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  // Render thread: transport position in samples, tempo in beats per minute, time signature.
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  // Any thread: the host code (see Hosts.h); the adapter identifies the host on first use.
  virtual int GetHost() { return mHost; }
  // User-interface thread: the editor changed its size.
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void UserResizedWindow(IRECT* rect);
  // Host thread, once after construction: adjustments for the identified host.
  virtual void HostSpecificInit() = 0;
  // Constructor or host thread: hands the editor to the plug-in, which owns it from then on.
  // A null editor is ignored.
  virtual void AttachGraphics(IGraphics* graphics);
  // Host thread, not while rendering: sizes the scratch buffers (allocates).
  virtual void SetBlockSize(int blockSize);
  // Host thread: the processing latency in frames.
  virtual void SetLatency(int samples);
  // Render thread: MIDI output to the host.
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendMidiMsgs(BASE_TypedBuf<IMidiMsg>* msgs) = 0;

  // Identity.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  // The packed version (major.minor.patch in 16.8.8 bits), or major*10000+minor*100+patch.
  int GetEffectVersion(bool decimal) const;
  // "v<major>.<minor>"; out holds at least 32 characters.
  void GetEffectVersionStr(char* out) const;
  bool IsInst() const { return mIsInst; }
  bool DoesStateChunks() const { return mDoesStateChunks; }

  // Host identification.
  void SetHost(const char* name, int version);
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);

  // Channel configurations and records.
  bool LegalIO(int nIn, int nOut) const;
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIO* GetChannelIO(int idx) const { return mChannelIO.Get(idx); }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // Connects only the first two inputs and outputs of a plug-in with more channels.
  void LimitToStereoIO();

  // Connections and buffers; each works on channels idx to idx + n - 1, cut at the number of
  // channel records. Host or render thread; the attach operations do not allocate.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);

  // Render thread: run ProcessDoubleReplacing on the attached buffers; the argument selects
  // the host's sample type. The float forms convert connected outputs into the host buffers,
  // replacing or adding to their contents. No allocation.
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);

  // Timing and sizes.
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  // Samples per beat at the host's tempo; 0 without a positive tempo.
  double GetSamplesPerBeat();

  // Parameters.
  int NParams() const { return mParams.GetSize(); }
  // Null for an index outside the list.
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  // Editor thread: the user moved a control of parameter idx to normalizedValue.
  void SetParameterFromGUI(int idx, double normalizedValue);
  // OnParamChange for every parameter, in ascending index.
  void OnParamReset();
  // Passes every parameter's real value to the editor, if there is one. Takes no lock.
  void RedrawParamControls();
  IGraphics* GetGUI() const { return mGraphics; }

  // Parameter state: every value as a little-endian double in index order. Both hold the
  // mutex. UnserializeParams returns the position after the last value read, or -1 when
  // the data ran out; parameters beyond the data keep their values.
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);

  // Presets.
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // Restores preset idx; an empty slot instead stores the current values as a user preset.
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  // The preset's name; the empty text for an index outside the list.
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  // Preset bank: each preset's name, initialised flag and, when initialised, its values.
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  void PruneUninitializedPresets();
  void EnsureDefaultPreset();
  // Writes the current values as a MakePresetFromNamedParams call into filename, once per
  // process. False when the file cannot be written or a dump was made already.
  bool DumpPresetSrcCode(const char* filename, const char* paramEnumNames[]);

  // Making presets, for the product's constructor; each fills the first empty slot and does
  // nothing when there is none. Values are ints for bool, int and enum parameters and
  // doubles otherwise; they are stored as given and limited when restored.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of (parameter index, value); parameters not named keep their current
  // value. An index outside the parameters is a fatal programming error.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  // Fills up to nPresets empty slots with the current values, named name or "Default".
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);

  // The instance lock.
  BASE_Mutex& GetMutex() { return mMutex; }

  // Writes "user preset <n>" where n - 1 presets already carry such a name.
  static void MakeDefaultUserPresetName(const BASE_PtrList<IPreset>* presets, char* out,
                                        int outSize = IPreset::kNameBytes);

private:
  IPreset* NextUninitializedPreset();
  void RepointUnconnectedChannels();

  BASE_PtrList<ChannelIO> mChannelIO;
  char mEffectName[kNameBytes];
  char mProductName[kNameBytes];
  char mMfrName[kNameBytes];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  int mHost;
  int mHostVersion;
  bool mDoesStateChunks;
  bool mIsInst;
  double mSampleRate;
  int mBlockSize;
  int mLatency;
  BASE_PtrList<IParam> mParams;
  IGraphics* mGraphics;
  BASE_PtrList<IPreset> mPresets;
  int mCurrentPresetIdx;
  BASE_TypedBuf<double*> mInData;
  BASE_TypedBuf<double*> mOutData;
  BASE_PtrList<InChannel> mInChannels;
  BASE_PtrList<OutChannel> mOutChannels;

protected:
  // The instance lock: recursive, held by every host call the adapter dispatches.
  BASE_Mutex mMutex;
};
