#pragma once

// Host codes: which application has loaded the plug-in.
enum EHost
{
  kHostUninit = -1,  // not yet identified
  kHostUnknown = 0,  // identified as none of the known hosts
};

// The code of the first known host text found in name (case-insensitive substring search
// over at most 255 characters of it, in a fixed order); kHostUnknown when none is found.
int LookUpHost(const char* name);

// Packed versions: major in bits 16 to 31, minor in bits 8 to 15, patch in bits 0 to 7.
void GetVersionParts(int version, int* major, int* minor, int* patch);
// major * 10000 + minor * 100 + patch.
int GetDecimalVersion(int version);
// "v<major>.<minor, two digits>"; out holds at least 32 characters.
void GetVersionStr(int version, char* out);
