#pragma once

// The command line of the kelvo program: a subcommand, its files and its options,
// checked before anything is opened, so that a mistyped call fails at once with a
// message and the usage exit code.
//
// Threads: any.

#include "UnitSettings.h"

#include <string>
#include <vector>

enum class KelvoCommandKind
{
  kHelp,
  kList,
  kParams,
  kPresets,
  kRender,
  kSavePreset,
  kLoadPreset,
  kShow,
  kTone
};

struct KelvoCommand
{
  KelvoCommandKind kind = KelvoCommandKind::kHelp;
  std::vector<std::string> files;
  std::string unitSubtype;  // --unit; empty: the product
  UnitSettings settings;    // --state, --preset, --set
  UInt32 blockSize = 512;   // --block
  bool bypass = false;      // --bypass
  bool pcm16 = false;       // --pcm16
  std::string presetName;   // --name
  double seconds = 0;       // --seconds: show's time limit (0: none), tone's length
  double frequency = 1000;  // --freq, Hz
  double levelDb = -6;      // --level, dB full scale
  double sampleRate = 44100;  // --rate, Hz
  int channels = 2;         // --channels
};

// args: the arguments after the program name. False with the reason for a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, KelvoCommand* command, std::string* error);

// The text of "kelvo --help".
const char* KelvoUsage();
