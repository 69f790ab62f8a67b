#pragma once

// Umbrella header of the AppKit stand-in.

#include <Foundation/Foundation.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSResponder.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSApplication.h>
