#include "UnitSettings.h"

#include "HostText.h"
#include "PresetFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// A whole text as a finite number.
bool ParseNumber(const std::string& text, double* value)
{
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = strtod(begin, &end);
  if (end == begin || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// A whole text as a non-negative decimal integer.
bool ParseIndex(const std::string& text, long* value)
{
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = strtol(text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

std::string FormatValue(double value)
{
  char text[32];
  snprintf(text, sizeof text, "%.6g", value);
  return text;
}

bool FindFactoryPreset(const std::vector<UnitPreset>& presets, const std::string& numberOrName, UnitPreset* found,
                       std::string* error)
{
  if (presets.empty()) return Fail(error, "the unit has no factory presets");
  long number = 0;
  if (ParseIndex(numberOrName, &number)) {
    for (const UnitPreset& p : presets) {
      if (p.number == number) {
        *found = p;
        return true;
      }
    }
    return Fail(error, "no factory preset number " + numberOrName + " (the unit has " +
                           std::to_string(presets.size()) + "; see \"kelvo presets\")");
  }
  for (const UnitPreset& p : presets) {
    if (p.name == numberOrName) {
      *found = p;
      return true;
    }
  }
  for (const UnitPreset& p : presets) {
    if (SameIgnoringCase(p.name, numberOrName)) {
      *found = p;
      return true;
    }
  }
  return Fail(error, "no factory preset named \"" + numberOrName + "\" (see \"kelvo presets\")");
}

const UnitParameter* FindParameter(const std::vector<UnitParameter>& parameters, const std::string& idOrName,
                                   std::string* error)
{
  long id = 0;
  if (ParseIndex(idOrName, &id)) {
    for (const UnitParameter& p : parameters) {
      if (p.id == static_cast<AudioUnitParameterID>(id)) return &p;
    }
  }
  for (const UnitParameter& p : parameters) {
    if (p.name == idOrName) return &p;
  }
  for (const UnitParameter& p : parameters) {
    if (SameIgnoringCase(p.name, idOrName)) return &p;
  }
  Fail(error, "no parameter \"" + idOrName + "\" (see \"kelvo params\")");
  return nullptr;
}

bool ParseParameterValue(const HostUnit& unit, const UnitParameter& parameter, const std::string& text,
                         AudioUnitParameterValue* value, std::string* error)
{
  double v = 0.0;
  bool known = ParseNumber(text, &v);
  if (!known) {
    AudioUnitParameterValue fromText = 0;
    if (unit.ValueFromText(parameter.id, text, &fromText)) {
      v = fromText;
      known = true;
    }
  }
  if (!known && parameter.unit == kAudioUnitParameterUnit_Indexed) {
    for (size_t i = 0; i < parameter.valueStrings.size(); ++i) {
      if (SameIgnoringCase(parameter.valueStrings[i], text)) {
        v = static_cast<double>(parameter.minValue) + static_cast<double>(i);
        known = true;
        break;
      }
    }
  }
  if (!known && parameter.unit == kAudioUnitParameterUnit_Boolean) {
    if (SameIgnoringCase(text, "on") || SameIgnoringCase(text, "true")) {
      v = 1.0;
      known = true;
    } else if (SameIgnoringCase(text, "off") || SameIgnoringCase(text, "false")) {
      v = 0.0;
      known = true;
    }
  }
  if (!known) {
    std::string message = "\"" + text + "\" is not a value of \"" + parameter.name + "\"";
    if (!parameter.valueStrings.empty() && parameter.unit == kAudioUnitParameterUnit_Indexed) {
      message += " (values:";
      for (size_t i = 0; i < parameter.valueStrings.size(); ++i) {
        message += (i ? ", " : " ") + parameter.valueStrings[i];
      }
      message += ")";
    }
    return Fail(error, message);
  }
  if (v < parameter.minValue || v > parameter.maxValue) {
    return Fail(error, "\"" + parameter.name + "\" takes " + FormatValue(parameter.minValue) + " to " +
                           FormatValue(parameter.maxValue) + ", not " + text);
  }
  *value = static_cast<AudioUnitParameterValue>(v);
  return true;
}

bool ApplyUnitSettings(HostUnit* unit, const UnitSettings& settings, std::vector<std::string>* applied,
                       std::string* error)
{
  if (!settings.stateFile.empty()) {
    CFPropertyListRef classInfo = ReadPresetFile(settings.stateFile, error);
    if (!classInfo) return false;
    ClassInfoSummary summary;
    SummarizeClassInfo(classInfo, &summary, nullptr);
    const ComponentDescription& own = unit->Listing().description;
    if (summary.type != own.componentType || summary.subtype != own.componentSubType ||
        summary.manufacturer != own.componentManufacturer) {
      CFRelease(classInfo);
      ComponentDescription theirs = { summary.type, summary.subtype, summary.manufacturer, 0, 0 };
      return Fail(error, settings.stateFile + ": the preset is for " + DescribeCodes(theirs) + ", not for " +
                             DescribeCodes(own));
    }
    const OSStatus status = unit->SetClassInfo(classInfo);
    CFRelease(classInfo);
    if (status != noErr) {
      return Fail(error, settings.stateFile + ": the unit refuses the state: " + StatusText(status));
    }
    if (applied) applied->push_back("state " + settings.stateFile + " (\"" + summary.name + "\")");
  }
  if (!settings.preset.empty()) {
    std::vector<UnitPreset> presets;
    UnitPreset preset;
    if (!unit->GetFactoryPresets(&presets, error) || !FindFactoryPreset(presets, settings.preset, &preset, error)) {
      return false;
    }
    const OSStatus status = unit->SetCurrentPreset(preset);
    if (status != noErr) {
      return Fail(error, "the unit refuses preset " + std::to_string(preset.number) + ": " + StatusText(status));
    }
    if (applied) applied->push_back("preset " + std::to_string(preset.number) + " \"" + preset.name + "\"");
  }
  if (settings.assignments.empty()) return true;
  std::vector<UnitParameter> parameters;
  if (!unit->GetParameters(&parameters, error)) return false;
  for (const std::string& assignment : settings.assignments) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      return Fail(error, "\"" + assignment + "\" is not NAME_OR_ID=VALUE");
    }
    const UnitParameter* parameter = FindParameter(parameters, assignment.substr(0, eq), error);
    AudioUnitParameterValue value = 0;
    if (!parameter || !ParseParameterValue(*unit, *parameter, assignment.substr(eq + 1), &value, error)) return false;
    const OSStatus status = unit->SetParameterValue(parameter->id, value);
    if (status != noErr) {
      return Fail(error, "the unit refuses \"" + parameter->name + "\" = " + FormatValue(value) + ": " +
                             StatusText(status));
    }
    if (applied) {
      std::string line = "\"" + parameter->name + "\" = " + FormatValue(value);
      const std::string label = UnitLabel(*parameter);
      const std::string valueText = unit->ValueText(parameter->id, value);
      if (!valueText.empty()) {
        line += " (" + valueText + ")";
      } else if (!label.empty() && parameter->unit != kAudioUnitParameterUnit_Indexed) {
        line += " " + label;
      }
      applied->push_back(line);
    }
  }
  return true;
}
