#pragma once

// ".aupreset" files: an audio unit's class-info dictionary as an XML property list.
// The dictionary carries the unit's identity ("type", "subtype", "manufacturer" as
// numbers), "version", the preset "name" and the unit's "data".
//
// Threads: any.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

// What a class-info dictionary says about itself.
struct ClassInfoSummary
{
  OSType type = 0;
  OSType subtype = 0;
  OSType manufacturer = 0;
  SInt32 version = 0;
  std::string name;
  long dataBytes = -1;  // -1 when there is no "data"
};

// Writes the dictionary as XML property-list text; false with the reason.
bool WritePresetFile(const std::string& path, CFPropertyListRef classInfo, std::string* error);
// Reads a property list and checks that it is a class-info dictionary (the keys above
// with values of their types); the caller releases the result. Null with the reason.
CFPropertyListRef ReadPresetFile(const std::string& path, std::string* error);

// The summary of a class-info dictionary; false with the reason when a key is missing
// or of the wrong type ("data" may be missing).
bool SummarizeClassInfo(CFPropertyListRef classInfo, ClassInfoSummary* summary, std::string* error);
// A copy of a class-info dictionary under another preset name (the caller releases it);
// null when it is not a dictionary or the name is not valid UTF-8.
CFPropertyListRef CopyClassInfoWithName(CFPropertyListRef classInfo, const std::string& name);
