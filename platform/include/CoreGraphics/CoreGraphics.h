#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGGDIContext.h>
