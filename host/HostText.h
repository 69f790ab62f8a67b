#pragma once

// Text forms of platform values for the host program: four-character codes, status
// codes and CoreFoundation strings.
//
// Threads: any.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

// 'aufx' as "aufx"; bytes outside printable ASCII as \xHH.
std::string FourCCToString(OSType code);
// Exactly four printable ASCII characters; false otherwise.
bool StringToFourCC(const std::string& text, OSType* code);

// "-10851 (invalid property value)" for the Audio Unit and Component Manager codes,
// the number alone for others.
std::string StatusText(OSStatus status);

// The UTF-8 text of a string; empty for null.
std::string StringFromCF(CFStringRef string);
// A new string (the caller releases it); null when the text is not valid UTF-8.
CFStringRef CreateCFString(const std::string& text);
