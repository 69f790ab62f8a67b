#include "CommandLine.h"

#include "HostText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using Kind = KelvoCommandKind;

struct CommandSpec
{
  const char* name;
  Kind kind;
  int numFiles;
  const char* filesText;  // what the files are, for the message when they are missing
};

const CommandSpec kCommands[] = {
  { "list", Kind::kList, 0, "" },
  { "params", Kind::kParams, 0, "" },
  { "presets", Kind::kPresets, 0, "" },
  { "render", Kind::kRender, 2, "IN.wav OUT.wav" },
  { "save-preset", Kind::kSavePreset, 1, "OUT.aupreset" },
  { "load-preset", Kind::kLoadPreset, 1, "IN.aupreset" },
  { "show", Kind::kShow, 0, "" },
  { "tone", Kind::kTone, 1, "OUT.wav" },
};

enum Option
{
  kUnit,
  kPreset,
  kSet,
  kState,
  kBlock,
  kBypass,
  kPcm16,
  kName,
  kSeconds,
  kFreq,
  kLevel,
  kRate,
  kChannels
};

struct OptionSpec
{
  const char* name;
  Option option;
  bool takesValue;
  std::vector<Kind> commands;
};

const std::vector<OptionSpec>& Options()
{
  static const std::vector<OptionSpec> options = {
    { "--unit", kUnit, true,
      { Kind::kParams, Kind::kPresets, Kind::kRender, Kind::kSavePreset, Kind::kLoadPreset, Kind::kShow } },
    { "--preset", kPreset, true, { Kind::kParams, Kind::kRender, Kind::kSavePreset, Kind::kShow } },
    { "--set", kSet, true, { Kind::kParams, Kind::kRender, Kind::kSavePreset, Kind::kShow } },
    { "--state", kState, true, { Kind::kParams, Kind::kRender, Kind::kSavePreset, Kind::kShow } },
    { "--block", kBlock, true, { Kind::kRender } },
    { "--bypass", kBypass, false, { Kind::kRender } },
    { "--pcm16", kPcm16, false, { Kind::kRender, Kind::kTone } },
    { "--name", kName, true, { Kind::kSavePreset } },
    { "--seconds", kSeconds, true, { Kind::kShow, Kind::kTone } },
    { "--freq", kFreq, true, { Kind::kTone } },
    { "--level", kLevel, true, { Kind::kTone } },
    { "--rate", kRate, true, { Kind::kTone } },
    { "--channels", kChannels, true, { Kind::kTone } },
  };
  return options;
}

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

bool ParseDouble(const std::string& text, double* value)
{
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool ParseInteger(const std::string& text, long* value)
{
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = strtol(text.c_str(), nullptr, 10);
  return true;
}

// Applies one option's value; false with the reason.
bool ApplyOption(Option option, const std::string& name, const std::string& value, KelvoCommand* command,
                 std::string* error)
{
  double number = 0;
  long integer = 0;
  switch (option) {
    case kUnit: {
      OSType code = 0;
      if (!StringToFourCC(value, &code)) return Fail(error, name + " takes a four-character subtype, not \"" + value + "\"");
      command->unitSubtype = value;
      return true;
    }
    case kPreset:
      if (value.empty()) return Fail(error, name + " takes a preset number or name");
      command->settings.preset = value;
      return true;
    case kSet:
      if (value.find('=') == std::string::npos || value[0] == '=') {
        return Fail(error, name + " takes NAME_OR_ID=VALUE, not \"" + value + "\"");
      }
      command->settings.assignments.push_back(value);
      return true;
    case kState:
      if (value.empty()) return Fail(error, name + " takes an .aupreset file");
      command->settings.stateFile = value;
      return true;
    case kBlock:
      if (!ParseInteger(value, &integer) || integer < 1 || integer > 65536) {
        return Fail(error, name + " takes a block size of 1 to 65536 frames, not \"" + value + "\"");
      }
      command->blockSize = static_cast<UInt32>(integer);
      return true;
    case kName:
      command->presetName = value;
      return true;
    case kSeconds:
      if (!ParseDouble(value, &number) || number < 0 || number > 86400) {
        return Fail(error, name + " takes a number of seconds from 0 to 86400, not \"" + value + "\"");
      }
      command->seconds = number;
      return true;
    case kFreq:
      if (!ParseDouble(value, &number) || number <= 0) {
        return Fail(error, name + " takes a frequency above 0 Hz, not \"" + value + "\"");
      }
      command->frequency = number;
      return true;
    case kLevel:
      if (!ParseDouble(value, &number) || number > 0 || number < -200) {
        return Fail(error, name + " takes a level from -200 to 0 dBFS, not \"" + value + "\"");
      }
      command->levelDb = number;
      return true;
    case kRate:
      if (!ParseInteger(value, &integer) || integer < 1000 || integer > 768000) {
        return Fail(error, name + " takes a sample rate from 1000 to 768000 Hz, not \"" + value + "\"");
      }
      command->sampleRate = static_cast<double>(integer);
      return true;
    case kChannels:
      if (!ParseInteger(value, &integer) || integer < 1 || integer > 2) {
        return Fail(error, name + " takes 1 or 2 channels, not \"" + value + "\"");
      }
      command->channels = static_cast<int>(integer);
      return true;
    case kBypass:
    case kPcm16:
      break;
  }
  return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, KelvoCommand* command, std::string* error)
{
  *command = KelvoCommand();
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "help") {
      command->kind = Kind::kHelp;
      return true;
    }
  }
  if (args.empty()) return Fail(error, "no command given");

  const CommandSpec* spec = nullptr;
  for (const CommandSpec& c : kCommands) {
    if (args[0] == c.name) spec = &c;
  }
  if (!spec) return Fail(error, "unknown command \"" + args[0] + "\"");
  command->kind = spec->kind;
  if (spec->kind == Kind::kTone) command->seconds = 2;

  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
        return Fail(error, "unknown option \"" + arg + "\"");
      }
      command->files.push_back(arg);
      continue;
    }
    // --name=value or --name value
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const OptionSpec* option = nullptr;
    for (const OptionSpec& o : Options()) {
      if (name == o.name) option = &o;
    }
    if (!option) return Fail(error, "unknown option \"" + name + "\"");
    bool applies = false;
    for (Kind k : option->commands) applies = applies || k == spec->kind;
    if (!applies) return Fail(error, "option " + name + " does not apply to \"" + spec->name + "\"");
    if (!option->takesValue) {
      if (eq != std::string::npos) return Fail(error, "option " + name + " takes no value");
      if (option->option == kBypass) command->bypass = true;
      if (option->option == kPcm16) command->pcm16 = true;
      continue;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return Fail(error, "option " + name + " needs a value");
    }
    if (!ApplyOption(option->option, name, value, command, error)) return false;
  }

  if (static_cast<int>(command->files.size()) != spec->numFiles) {
    if (spec->numFiles == 0) {
      return Fail(error, std::string("\"") + spec->name + "\" takes no file arguments (\"" + command->files[0] + "\")");
    }
    return Fail(error, std::string("\"") + spec->name + "\" takes " + spec->filesText);
  }
  return true;
}

const char* KelvoUsage()
{
  return "usage: kelvo COMMAND [ARGUMENTS] [OPTIONS]\n"
         "\n"
         "Loads the Kelvo audio unit (aufx Kvlo Brnt) from its component bundle, as an Audio Unit\n"
         "host does, and works with it from the command line.\n"
         "\n"
         "commands:\n"
         "  list                          audio unit components found (type, subtype, manufacturer,\n"
         "                                name, bundle)\n"
         "  params                        parameters: ranges, units, current values and value texts\n"
         "  presets                       factory presets (number and name)\n"
         "  render IN.wav OUT.wav         renders a WAV file through the unit (16/24/32-bit integer\n"
         "                                or 32-bit float, mono or stereo); writes 32-bit float\n"
         "  save-preset OUT.aupreset      saves the unit's state as an .aupreset property list\n"
         "  load-preset IN.aupreset       restores an .aupreset into the unit it names and prints\n"
         "                                what was restored\n"
         "  show                          opens the unit's editor in a window (needs DISPLAY)\n"
         "  tone OUT.wav                  writes a sine test tone\n"
         "\n"
         "options:\n"
         "  --unit SUBTYPE                another audio unit, by its four-character subtype\n"
         "  --state FILE.aupreset         restore a saved state first (params, render, save-preset, show)\n"
         "  --preset N|NAME               then recall a factory preset by number or name\n"
         "  --set NAME_OR_ID=VALUE        then set a parameter, by name or ID, to a number or a value\n"
         "                                text (\"--set 'Low Freq.=60 Hz'\"); may be repeated\n"
         "  --block N                     render: frames per render call (default 512)\n"
         "  --bypass                      render: with the unit bypassed\n"
         "  --pcm16                       render, tone: write 16-bit integer samples\n"
         "  --name NAME                   save-preset: the preset name stored in the file\n"
         "  --seconds N                   show: close the window after N seconds;\n"
         "                                tone: length (default 2)\n"
         "  --freq HZ, --level DBFS       tone: frequency (default 1000) and level (default -6)\n"
         "  --rate HZ, --channels 1|2     tone: sample rate (default 44100) and channels (default 2)\n"
         "  -h, --help                    this text\n"
         "\n"
         "Component bundles are searched in the folders of KELVO_COMPONENT_PATH (colon-separated)\n"
         "and in the build tree.\n"
         "\n"
         "exit status: 0 success, 1 failure (file, unit or render), 2 usage error\n";
}
