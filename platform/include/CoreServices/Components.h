#pragma once

// Component Manager: a registry of components (type, subtype, manufacturer) found in
// bundles, opened into instances whose requests travel as a selector and a block of
// argument words to the component's entry function.
//
// Registration. A bundle is a folder "<Name>.component" with "Contents/Info.plist",
// "Contents/MacOS/<CFBundleExecutable>" (a shared object) and "Contents/Resources/".
// The Info.plist dictionary carries an array "AudioComponents"; each element is a
// dictionary that registers one component:
//   "type", "subtype", "manufacturer"  four-character codes as 4-character strings
//   "name"                             the display name (string)
//   "entryPoint"                       the exported symbol of the entry function
//   "version"                          packed version (integer, optional)
// For example an effect registers type "aufx" with entry "<Name>_Entry", and its Carbon
// view registers type "auvw" with entry "<Name>_ViewEntry".
//
// Search. On first use the registry scans every directory of the colon-separated
// environment variable KELVO_COMPONENT_PATH, then the build tree's component folders,
// for "*.component" bundles (a path that is itself a bundle is taken as one).
// RegisterComponentBundle adds a bundle explicitly; RegisterComponent adds an entry
// function of the running process.
//
// Parameter block. Arguments are pointer-sized words in reverse order: params[0] holds
// the last argument of the public call. A Float32 travels as its bit pattern in the low
// 32 bits of a word. paramSize counts the argument bytes; the word after the arguments,
// params[paramSize / sizeof(long)], holds the calling ComponentInstance.
//
// Threads: every call is thread-safe. Instances are served on whichever thread calls.

#include <MacTypes.h>
#include <CoreFoundation/CFBase.h>

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;

struct ComponentDescription {
  OSType componentType;         // 0 matches any type in a search
  OSType componentSubType;      // 0 matches any subtype
  OSType componentManufacturer; // 0 matches any manufacturer
  UInt32 componentFlags;
  UInt32 componentFlagsMask;    // flag bits compared in a search
};
typedef struct ComponentDescription ComponentDescription;

struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize; // bytes of argument words
  SInt16 what;     // selector
  long params[1];  // argument words, last argument first, then the instance
};
typedef struct ComponentParameters ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;

enum {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kComponentRegisterSelect = -5,
  kComponentTargetSelect = -6,
  kComponentUnregisterSelect = -7
};

enum {
  invalidComponentID = -3000,
  badComponentInstance = (int)0x80008001,
  badComponentSelector = (int)0x80008002
};

#ifdef __cplusplus
extern "C" {
#endif

// Finds the registered component after `aComponent` (null: the first) matching the
// description; null when there is none.
Component FindNextComponent(Component aComponent, ComponentDescription* looking);
long CountComponents(ComponentDescription* looking);

// Type, subtype, manufacturer and flags of a component or of an open instance. The
// handle arguments are accepted for compatibility and must be null.
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);
// A new string with the registered name; the caller releases it.
OSStatus AudioComponentCopyName(Component aComponent, CFStringRef* outName);
// The bundle a component was registered from; null for one registered in-process.
CFBundleRef GetComponentBundle(Component aComponent);

// Loads the component's executable if needed and calls its entry with the open selector.
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
ComponentInstance OpenComponent(Component aComponent);
// Calls the entry with the close selector and releases the instance and its library.
OSErr CloseComponent(ComponentInstance ci);

void SetComponentInstanceStorage(ComponentInstance ci, Handle storage);
Handle GetComponentInstanceStorage(ComponentInstance ci);
Component GetComponentFromInstance(ComponentInstance ci);

// Sends a parameter block to the instance named by its last word; returns the entry's
// status, or badComponentInstance for an instance that is not open.
ComponentResult CallComponentDispatch(ComponentParameters* cp);
ComponentResult CallComponentCanDo(ComponentInstance ci, SInt16 ftnNumber);
long GetComponentVersion(ComponentInstance ci);

// Registers every component of a bundle folder; returns the number registered (0 when
// the bundle is missing or its Info.plist registers nothing).
long RegisterComponentBundle(const char* bundlePath);
// Registers an entry function of the running process under a description and a name.
Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP entry, const char* name);
OSErr UnregisterComponent(Component aComponent);

#ifdef __cplusplus
}
#endif
