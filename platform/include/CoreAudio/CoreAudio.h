#pragma once

// Umbrella header of the audio records.

#include <CoreAudio/CoreAudioTypes.h>
