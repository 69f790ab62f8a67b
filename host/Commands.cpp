#include "Commands.h"

#include "AudioFile.h"
#include "ComponentCatalog.h"
#include "EditorWindow.h"
#include "HostText.h"
#include "HostUnit.h"
#include "PresetFile.h"
#include "Signal.h"
#include "UnitRenderer.h"

#include <cmath>
#include <cstdio>

namespace {

int Failed(std::ostream& err, const std::string& message)
{
  err << "kelvo: " << message << "\n";
  return kExitFailure;
}

std::string Padded(const std::string& text, size_t width)
{
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Decibels(double level)
{
  if (level <= 0.0) return "-inf dBFS";
  char text[32];
  snprintf(text, sizeof text, "%.2f dBFS", LevelToDecibels(level));
  return text;
}

std::string UnitTitle(const HostUnit& unit)
{
  return unit.Listing().name + " (" + DescribeCodes(unit.Listing().description) + ")";
}

// Finds and opens the unit the command names: --unit by subtype, else the product.
bool OpenCommandUnit(const KelvoCommand& command, HostUnit* unit, std::string* error)
{
  ComponentListing listing;
  if (!command.unitSubtype.empty()) {
    OSType subtype = 0;
    StringToFourCC(command.unitSubtype, &subtype);
    if (!FindAudioUnit(0, subtype, 0, &listing)) {
      *error = "no audio unit with subtype \"" + command.unitSubtype + "\" was found (see \"kelvo list\")";
      return false;
    }
  } else if (!FindAudioUnit(kKelvoType, kKelvoSubType, kKelvoManufacturer, &listing)) {
    *error = "the Kelvo audio unit (aufx Kvlo Brnt) was not found: build it with scripts/build, or set "
             "KELVO_COMPONENT_PATH to the folder that holds Kelvo.component";
    return false;
  }
  return unit->Open(listing, error);
}

// Opens the unit and applies --state, --preset and --set, printing what was applied.
bool OpenAndSetUp(const KelvoCommand& command, HostUnit* unit, std::ostream& out, std::string* error)
{
  if (!OpenCommandUnit(command, unit, error)) return false;
  std::vector<std::string> applied;
  if (!ApplyUnitSettings(unit, command.settings, &applied, error)) return false;
  for (const std::string& line : applied) out << "  " << line << "\n";
  return true;
}

// "1 (30 Hz)", "3.5 dB", "0 (OFF)".
std::string DescribeValue(const HostUnit& unit, const UnitParameter& p, AudioUnitParameterValue value)
{
  std::string text = FormatValue(value);
  const std::string valueText = unit.ValueText(p.id, value);
  if (!valueText.empty()) return text + " (" + valueText + ")";
  if (p.unit != kAudioUnitParameterUnit_Indexed && p.unit != kAudioUnitParameterUnit_Boolean) {
    const std::string label = UnitLabel(p);
    if (!label.empty()) text += " " + label;
  }
  return text;
}

void PrintParameters(const HostUnit& unit, const std::vector<UnitParameter>& parameters, std::ostream& out)
{
  size_t nameWidth = 4;
  std::vector<std::string> values;
  for (const UnitParameter& p : parameters) {
    nameWidth = p.name.size() > nameWidth ? p.name.size() : nameWidth;
    AudioUnitParameterValue value = 0;
    values.push_back(unit.GetParameterValue(p.id, &value) == noErr ? DescribeValue(unit, p, value) : "?");
  }
  size_t valueWidth = 5;
  for (const std::string& v : values) valueWidth = v.size() > valueWidth ? v.size() : valueWidth;
  out << "   id  " << Padded("name", nameWidth) << "  " << Padded("value", valueWidth) << "  range\n";
  for (size_t i = 0; i < parameters.size(); ++i) {
    const UnitParameter& p = parameters[i];
    char id[16];
    snprintf(id, sizeof id, "%5u", static_cast<unsigned>(p.id));
    out << id << "  " << Padded(p.name, nameWidth) << "  " << Padded(values[i], valueWidth) << "  "
        << FormatValue(p.minValue) << " .. " << FormatValue(p.maxValue);
    const std::string label = UnitLabel(p);
    if (!label.empty()) out << " " << label;
    // value texts name the values of indexed parameters only
    if (!p.valueStrings.empty() && p.unit == kAudioUnitParameterUnit_Indexed) {
      out << "  [";
      for (size_t k = 0; k < p.valueStrings.size(); ++k) out << (k ? " | " : "") << p.valueStrings[k];
      out << "]";
    }
    out << "\n";
  }
}

int List(std::ostream& out, std::ostream& err)
{
  const std::vector<ComponentListing> units = ListAudioUnits();
  if (units.empty()) {
    return Failed(err, "no audio unit components were found; set KELVO_COMPONENT_PATH to the folders that "
                       "hold .component bundles");
  }
  size_t nameWidth = 4;
  for (const ComponentListing& u : units) nameWidth = u.name.size() > nameWidth ? u.name.size() : nameWidth;
  out << "type  subtype  manufacturer  " << Padded("name", nameWidth) << "  bundle\n";
  for (const ComponentListing& u : units) {
    out << Padded(FourCCToString(u.description.componentType), 4) << "  "
        << Padded(FourCCToString(u.description.componentSubType), 7) << "  "
        << Padded(FourCCToString(u.description.componentManufacturer), 12) << "  " << Padded(u.name, nameWidth)
        << "  " << (u.bundlePath.empty() ? "(in process)" : u.bundlePath) << "\n";
  }
  return kExitSuccess;
}

int Params(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  HostUnit unit;
  std::string error;
  if (!OpenAndSetUp(command, &unit, out, &error)) return Failed(err, error);
  std::vector<UnitParameter> parameters;
  if (!unit.GetParameters(&parameters, &error)) return Failed(err, error);
  out << UnitTitle(unit) << ", " << parameters.size() << " parameters:\n";
  PrintParameters(unit, parameters, out);
  return kExitSuccess;
}

int Presets(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  HostUnit unit;
  std::string error;
  if (!OpenCommandUnit(command, &unit, &error)) return Failed(err, error);
  std::vector<UnitPreset> presets;
  if (!unit.GetFactoryPresets(&presets, &error)) return Failed(err, error);
  UnitPreset current;
  unit.GetCurrentPreset(&current);
  out << UnitTitle(unit) << ", " << presets.size() << " factory presets:\n";
  for (const UnitPreset& p : presets) {
    char number[16];
    snprintf(number, sizeof number, "%5d", static_cast<int>(p.number));
    out << number << "  " << p.name << (p.number == current.number ? "  (current)" : "") << "\n";
  }
  return kExitSuccess;
}

int Render(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  const std::string& inPath = command.files[0];
  const std::string& outPath = command.files[1];
  AudioFile input;
  WavSampleFormat inFormat = WavSampleFormat::kFloat32;
  std::string error;
  if (!ReadWavFile(inPath, &input, &inFormat, &error)) return Failed(err, error);
  char line[160];
  snprintf(line, sizeof line, "%s: %d channel(s), %.0f Hz, %zu frames (%.3f s), %s\n", inPath.c_str(),
           input.NumChannels(), input.sampleRate, input.NumFrames(),
           static_cast<double>(input.NumFrames()) / input.sampleRate, WavSampleFormatName(inFormat));
  out << line;

  HostUnit unit;
  if (!OpenCommandUnit(command, &unit, &error)) return Failed(err, error);
  out << "unit: " << UnitTitle(unit) << "\n";
  UnitRenderer renderer;
  if (!renderer.Prepare(&unit, input.sampleRate, input.NumChannels(), command.blockSize, &error)) {
    return Failed(err, error);
  }
  std::vector<std::string> applied;
  if (!ApplyUnitSettings(&unit, command.settings, &applied, &error)) return Failed(err, error);
  for (const std::string& a : applied) out << "  " << a << "\n";

  AudioFile output;
  if (!renderer.Render(input, command.bypass, &output, &error)) return Failed(err, error);
  const WavSampleFormat outFormat = command.pcm16 ? WavSampleFormat::kPcm16 : WavSampleFormat::kFloat32;
  if (!WriteWavFile(outPath, output, outFormat, &error)) return Failed(err, error);

  out << "rendered " << renderer.RenderCalls() << " block(s) of up to " << renderer.BlockSize() << " frames"
      << (command.bypass ? ", bypassed" : "") << "\n";
  out << outPath << ": " << WavSampleFormatName(outFormat) << "\n";
  const AudioLevels in = MeasureLevels(input);
  const AudioLevels outLevels = MeasureLevels(output);
  out << "levels: in  peak " << Decibels(in.peak) << ", RMS " << Decibels(in.rms) << "\n"
      << "        out peak " << Decibels(outLevels.peak) << ", RMS " << Decibels(outLevels.rms) << "\n";
  return kExitSuccess;
}

int SavePreset(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  HostUnit unit;
  std::string error;
  if (!OpenAndSetUp(command, &unit, out, &error)) return Failed(err, error);
  CFPropertyListRef classInfo = nullptr;
  const OSStatus status = unit.CopyClassInfo(&classInfo);
  if (status != noErr || !classInfo) return Failed(err, "the unit does not give its state: " + StatusText(status));
  if (!command.presetName.empty()) {
    CFPropertyListRef renamed = CopyClassInfoWithName(classInfo, command.presetName);
    CFRelease(classInfo);
    if (!renamed) return Failed(err, "the preset name is not valid UTF-8");
    classInfo = renamed;
  }
  ClassInfoSummary summary;
  if (!SummarizeClassInfo(classInfo, &summary, &error)) {
    CFRelease(classInfo);
    return Failed(err, "the unit's state is not a class-info dictionary: " + error);
  }
  const bool written = WritePresetFile(command.files[0], classInfo, &error);
  CFRelease(classInfo);
  if (!written) return Failed(err, error);
  out << "saved \"" << summary.name << "\" of " << UnitTitle(unit) << " to " << command.files[0] << " ("
      << (summary.dataBytes < 0 ? 0 : summary.dataBytes) << " bytes of state)\n";
  return kExitSuccess;
}

int LoadPreset(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  std::string error;
  const std::string& path = command.files[0];
  CFPropertyListRef classInfo = ReadPresetFile(path, &error);
  if (!classInfo) return Failed(err, error);
  ClassInfoSummary summary;
  SummarizeClassInfo(classInfo, &summary, nullptr);
  ComponentDescription codes = { summary.type, summary.subtype, summary.manufacturer, 0, 0 };

  // the file names its unit; --unit must agree with it
  HostUnit unit;
  ComponentListing listing;
  if (!command.unitSubtype.empty()) {
    OSType subtype = 0;
    StringToFourCC(command.unitSubtype, &subtype);
    if (subtype != summary.subtype) {
      CFRelease(classInfo);
      return Failed(err, path + ": the preset is for " + DescribeCodes(codes) + ", not for subtype \"" +
                             command.unitSubtype + "\"");
    }
  }
  if (!FindAudioUnit(summary.type, summary.subtype, summary.manufacturer, &listing)) {
    CFRelease(classInfo);
    return Failed(err, path + ": the preset is for " + DescribeCodes(codes) + ", which was not found");
  }
  if (!unit.Open(listing, &error)) {
    CFRelease(classInfo);
    return Failed(err, error);
  }
  const OSStatus status = unit.SetClassInfo(classInfo);
  CFRelease(classInfo);
  if (status != noErr) return Failed(err, path + ": the unit refuses the state: " + StatusText(status));

  out << "restored \"" << summary.name << "\" into " << UnitTitle(unit) << " from " << path << "\n";
  // a state named after a factory preset recalls that preset first
  UnitPreset current;
  if (unit.GetCurrentPreset(&current) && current.number >= 0 && current.name == summary.name) {
    out << "factory preset " << current.number << " \"" << current.name << "\" recalled first\n";
  }
  std::vector<UnitParameter> parameters;
  if (!unit.GetParameters(&parameters, &error)) return Failed(err, error);
  PrintParameters(unit, parameters, out);
  return kExitSuccess;
}

int Show(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  HostUnit unit;
  std::string error;
  if (!OpenAndSetUp(command, &unit, out, &error)) return Failed(err, error);
  const OSStatus status = unit.Initialize();
  if (status != noErr) return Failed(err, "the unit does not initialise: " + StatusText(status));
  std::string message;
  switch (ShowEditorWindow(unit, unit.Listing().name, command.seconds, &message)) {
    case EditorResult::kClosed:
      out << message << "\n";
      return kExitSuccess;
    case EditorResult::kNoCocoaView:
    case EditorResult::kNoDisplay:
    case EditorResult::kFailed:
      break;
  }
  return Failed(err, UnitTitle(unit) + ": " + message);
}

int Tone(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  // dBFS to a linear amplitude
  const double amplitude = std::pow(10.0, command.levelDb / 20.0);
  const AudioFile tone =
      MakeTone(command.sampleRate, command.channels, command.seconds, command.frequency, amplitude);
  const WavSampleFormat format = command.pcm16 ? WavSampleFormat::kPcm16 : WavSampleFormat::kFloat32;
  std::string error;
  if (!WriteWavFile(command.files[0], tone, format, &error)) return Failed(err, error);
  char line[200];
  snprintf(line, sizeof line, "%s: %g Hz sine at %g dBFS, %d channel(s), %.0f Hz, %zu frames, %s\n",
           command.files[0].c_str(), command.frequency, command.levelDb, tone.NumChannels(), tone.sampleRate,
           tone.NumFrames(), WavSampleFormatName(format));
  out << line;
  return kExitSuccess;
}

}  // namespace

int RunKelvoCommand(const KelvoCommand& command, std::ostream& out, std::ostream& err)
{
  switch (command.kind) {
    case KelvoCommandKind::kHelp:
      out << KelvoUsage();
      return kExitSuccess;
    case KelvoCommandKind::kList: return List(out, err);
    case KelvoCommandKind::kParams: return Params(command, out, err);
    case KelvoCommandKind::kPresets: return Presets(command, out, err);
    case KelvoCommandKind::kRender: return Render(command, out, err);
    case KelvoCommandKind::kSavePreset: return SavePreset(command, out, err);
    case KelvoCommandKind::kLoadPreset: return LoadPreset(command, out, err);
    case KelvoCommandKind::kShow: return Show(command, out, err);
    case KelvoCommandKind::kTone: return Tone(command, out, err);
  }
  return kExitFailure;
}

int RunKelvo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
  KelvoCommand command;
  std::string error;
  if (!ParseCommandLine(args, &command, &error)) {
    err << "kelvo: " << error << "\n"
        << "Run \"kelvo --help\" for usage.\n";
    return kExitUsage;
  }
  return RunKelvoCommand(command, out, err);
}
