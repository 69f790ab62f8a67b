#pragma once

// Umbrella header of the core services: basic types and the Component Manager.

#include <MacTypes.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>
