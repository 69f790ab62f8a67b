#pragma once

#include <Foundation/Foundation.h>
#include <AppKit/AppKit.h>
