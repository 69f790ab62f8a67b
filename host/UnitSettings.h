#pragma once

// Settings a user gives an audio unit by text, applied in this order: a saved state
// (an .aupreset file), a factory preset (by number or name), then single parameters
// ("NAME_OR_ID=VALUE", the value as a number or as one of the unit's value texts).
//
// Threads: the thread that owns the HostUnit.

#include "HostUnit.h"

#include <string>
#include <vector>

struct UnitSettings
{
  std::string stateFile;                 // empty: none
  std::string preset;                    // empty: none
  std::vector<std::string> assignments;  // "NAME_OR_ID=VALUE"
};

// The factory preset with that number, else with that name (exactly, then ignoring
// case); false with the reason.
bool FindFactoryPreset(const std::vector<UnitPreset>& presets, const std::string& numberOrName, UnitPreset* found,
                       std::string* error);
// The parameter with that ID, else with that name (exactly, then ignoring case).
const UnitParameter* FindParameter(const std::vector<UnitParameter>& parameters, const std::string& idOrName,
                                   std::string* error);
// A value for the parameter from a number ("3.5"), a value text of the unit ("60 Hz",
// "OFF") or, for on/off parameters, "on"/"off"; refused outside the parameter's range.
bool ParseParameterValue(const HostUnit& unit, const UnitParameter& parameter, const std::string& text,
                         AudioUnitParameterValue* value, std::string* error);

// Applies the settings; each applied step adds a line to *applied (when given). Stops
// at the first failure with the reason.
bool ApplyUnitSettings(HostUnit* unit, const UnitSettings& settings, std::vector<std::string>* applied,
                       std::string* error);

// "3.5", "832", "-12" with up to 6 significant digits.
std::string FormatValue(double value);
