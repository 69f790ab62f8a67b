#pragma once

// Umbrella header of the audio toolbox.

#include <AudioUnit/AudioUnit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
