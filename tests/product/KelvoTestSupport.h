#pragma once

// What the product's suites share: an in-process Kelvo (made by the factory the adapter
// calls, with its parameters applied as initialisation does) and blocks of double-precision
// audio run straight through ProcessDoubleReplacing.

#include "Kelvo.h"

#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <string>
#include <vector>

namespace kelvotest {

inline std::string BundlePath()
{
  return std::string(KELVO_BINARY_DIR) + "/Kelvo.component";
}

// Makes the component bundle known to the platform, so the editor finds its images by the
// bundle identifier.
inline void RegisterBundle()
{
  static const bool done = [] {
    CFStringRef cfPath = CFStringCreateWithCString(nullptr, BundlePath().c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, cfPath, kCFURLPOSIXPathStyle, true);
    CFBundleCreate(nullptr, url);
    CFRelease(url);
    CFRelease(cfPath);
    return true;
  }();
  (void)done;
}

// A new plug-in with every parameter applied, as after the host initialises the unit;
// stereo unless told otherwise.
inline std::unique_ptr<Kelvo> NewKelvo(bool stereo = true)
{
  RegisterBundle();
  std::unique_ptr<Kelvo> plug(static_cast<Kelvo*>(MakePlug()));
  plug->SetInputChannelConnections(0, 2, false);
  plug->SetInputChannelConnections(0, stereo ? 2 : 1, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->OnParamReset();
  return plug;
}

// Sets a parameter's plain value and tells the plug-in, as a host's parameter call does.
inline void SetParam(Kelvo* plug, int idx, double value)
{
  plug->GetParam(idx)->Set(value);
  plug->OnParamChange(idx);
}

// One block of two channels: inputs (overwritten by the plug-in) and outputs.
struct Block
{
  explicit Block(int n, double left = 0.0, double right = 0.0)
    : in{ std::vector<double>(n, left), std::vector<double>(n, right) }, out{ std::vector<double>(n, -7.0),
                                                                              std::vector<double>(n, -7.0) } {}

  int Frames() const { return static_cast<int>(in[0].size()); }

  void Run(Kelvo* plug)
  {
    double* ins[2] = { in[0].data(), in[1].data() };
    double* outs[2] = { out[0].data(), out[1].data() };
    plug->ProcessDoubleReplacing(ins, outs, Frames());
  }

  std::vector<double> in[2];
  std::vector<double> out[2];
};

}  // namespace kelvotest
