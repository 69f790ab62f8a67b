#pragma once

// Umbrella header of the audio unit interfaces.

#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioUnit/AudioUnitCarbonView.h>
