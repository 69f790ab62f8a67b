#pragma once

// Umbrella header of the Carbon stand-in: events, windows, controls, regions, Gestalt.

#include <MacTypes.h>
#include <CoreServices/Gestalt.h>
#include <Carbon/CarbonEvents.h>
#include <Carbon/HIView.h>
