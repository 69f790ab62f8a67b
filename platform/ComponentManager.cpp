// Component Manager: the registry of components found in bundles, instances with their
// storage, and dispatch of parameter blocks to component entry functions.

#include "CFRuntime.h"

#include <CoreServices/Components.h>

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#ifndef KELVO_COMPONENT_BUILD_PATH
#define KELVO_COMPONENT_BUILD_PATH ""
#endif

namespace {

constexpr UInt32 kComponentMagic = 0x636D7072;  // 'cmpr'
constexpr UInt32 kInstanceMagic = 0x696E7374;   // 'inst'
constexpr UInt32 kClosedMagic = 0x64656164;     // 'dead'

} // namespace

struct ComponentRecord {
  UInt32 mMagic = kComponentMagic;
  ComponentDescription mDesc{};
  std::string mName;
  std::string mEntrySymbol;
  std::string mExecutable;             // empty for an in-process entry
  CFBundleRef mBundle = nullptr;
  ComponentRoutineUPP mEntry = nullptr; // in-process entry, or the loaded executable's
  long mVersion = 0;
  std::atomic<bool> mRegistered{true};
};

struct ComponentInstanceRecord {
  std::atomic<UInt32> mMagic{kInstanceMagic};
  ComponentRecord* mComponent = nullptr;
  ComponentRoutineUPP mEntry = nullptr;
  std::atomic<Handle> mStorage{nullptr};
};

namespace {

std::recursive_mutex sRegistryMutex;
std::vector<ComponentRecord*>& Registry() {
  static auto* registry = new std::vector<ComponentRecord*>();
  return *registry;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A four-character code from a 4-byte string (first character in the high byte) or an
// integer number; 0 when neither.
bool CodeFromValue(CFTypeRef value, OSType* code) {
  if (CFGetTypeID(value) == CFStringGetTypeID()) {
    const std::string& s = CFRuntimeStringText(static_cast<CFStringRef>(value));
    if (s.size() != 4) return false;
    *code = (UInt32(UInt8(s[0])) << 24) | (UInt32(UInt8(s[1])) << 16) | (UInt32(UInt8(s[2])) << 8) | UInt8(s[3]);
    return true;
  }
  if (CFGetTypeID(value) == CFNumberGetTypeID()) {
    SInt64 v = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &v);
    *code = static_cast<OSType>(v);
    return true;
  }
  return false;
}

std::string StringValue(CFDictionaryRef dict, const char* key) {
  CFTypeRef v = CFDictionaryGetValue(dict, __CFStringMakeConstantString(key));
  return CFGetTypeID(v) == CFStringGetTypeID() ? CFRuntimeStringText(static_cast<CFStringRef>(v)) : std::string();
}

long RegisterBundleLocked(const std::string& path) {
  CFStringRef s = CFRuntimeMakeString(path);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, true);
  CFRelease(s);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle) return 0;
  long count = 0;
  for (ComponentRecord* c : Registry())
    if (c->mBundle == bundle && c->mRegistered) ++count;
  if (count > 0) return count;

  CFURLRef exeURL = CFBundleCopyExecutableURL(bundle);
  if (!exeURL) return 0;
  CFStringRef exePath = CFURLCopyFileSystemPath(exeURL, kCFURLPOSIXPathStyle);
  std::string executable = CFRuntimeStringText(exePath);
  CFRelease(exePath);
  CFRelease(exeURL);

  CFTypeRef list = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("AudioComponents"));
  if (CFGetTypeID(list) != CFArrayGetTypeID()) return 0;
  CFArrayRef components = static_cast<CFArrayRef>(list);
  for (CFIndex i = 0; i < CFArrayGetCount(components); ++i) {
    CFTypeRef item = CFArrayGetValueAtIndex(components, i);
    if (CFGetTypeID(item) != CFDictionaryGetTypeID()) continue;
    CFDictionaryRef d = static_cast<CFDictionaryRef>(item);
    ComponentRecord* c = new ComponentRecord;
    bool ok = CodeFromValue(CFDictionaryGetValue(d, CFSTR("type")), &c->mDesc.componentType) &&
              CodeFromValue(CFDictionaryGetValue(d, CFSTR("subtype")), &c->mDesc.componentSubType) &&
              CodeFromValue(CFDictionaryGetValue(d, CFSTR("manufacturer")), &c->mDesc.componentManufacturer);
    c->mName = StringValue(d, "name");
    c->mEntrySymbol = StringValue(d, "entryPoint");
    CFTypeRef version = CFDictionaryGetValue(d, CFSTR("version"));
    if (CFGetTypeID(version) == CFNumberGetTypeID())
      CFNumberGetValue(static_cast<CFNumberRef>(version), kCFNumberLongType, &c->mVersion);
    if (!ok || c->mEntrySymbol.empty()) {
      delete c;
      continue;
    }
    c->mExecutable = executable;
    c->mBundle = bundle;
    Registry().push_back(c);
    ++count;
  }
  return count;
}

// Registers the bundles of one search directory (or the directory itself when it is a
// bundle), in name order.
void ScanDirectoryLocked(const std::string& dir) {
  if (dir.empty() || !IsDirectory(dir)) return;
  if (EndsWith(dir, ".component")) {
    RegisterBundleLocked(dir);
    return;
  }
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (EndsWith(name, ".component")) names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) RegisterBundleLocked(dir + "/" + name);
}

void ScanPathLocked(const char* path) {
  if (!path) return;
  std::string all(path);
  size_t start = 0;
  for (;;) {
    size_t colon = all.find(':', start);
    ScanDirectoryLocked(all.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
}

// Takes the registry lock, scanning the search path on first use.
std::unique_lock<std::recursive_mutex> LockRegistry() {
  std::unique_lock<std::recursive_mutex> lock(sRegistryMutex);
  static bool scanned = false;
  if (!scanned) {
    scanned = true;
    ScanPathLocked(getenv("KELVO_COMPONENT_PATH"));
    ScanPathLocked(KELVO_COMPONENT_BUILD_PATH);
  }
  return lock;
}

bool Matches(const ComponentRecord* c, const ComponentDescription* looking) {
  if (!c->mRegistered) return false;
  if (!looking) return true;
  if (looking->componentType && looking->componentType != c->mDesc.componentType) return false;
  if (looking->componentSubType && looking->componentSubType != c->mDesc.componentSubType) return false;
  if (looking->componentManufacturer && looking->componentManufacturer != c->mDesc.componentManufacturer)
    return false;
  return ((looking->componentFlags ^ c->mDesc.componentFlags) & looking->componentFlagsMask) == 0;
}

ComponentInstanceRecord* Instance(ComponentInstance ci) {
  return ci && ci->mMagic.load(std::memory_order_relaxed) == kInstanceMagic ? ci : nullptr;
}

// The component record of a component or of an instance.
ComponentRecord* ComponentOf(Component aComponent) {
  if (!aComponent) return nullptr;
  UInt32 magic;
  memcpy(&magic, aComponent, sizeof magic);
  if (magic == kComponentMagic) return aComponent;
  ComponentInstance ci = reinterpret_cast<ComponentInstance>(aComponent);
  return Instance(ci) ? ci->mComponent : nullptr;
}

// Sends a selector with at most one argument word to an instance's entry.
ComponentResult CallSimple(ComponentInstanceRecord* ci, SInt16 what, long arg, bool hasArg) {
  struct {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    long params[2];
  } block = {0, static_cast<UInt8>(hasArg ? sizeof(long) : 0), what, {0, 0}};
  block.params[0] = hasArg ? arg : reinterpret_cast<long>(ci);
  block.params[1] = reinterpret_cast<long>(ci);
  return ci->mEntry(reinterpret_cast<ComponentParameters*>(&block), ci->mStorage.load());
}

// The component's entry, loading its executable on first use. Executables stay loaded for
// the life of the process, as the objects they create (caches, listeners) may outlive an
// instance.
ComponentRoutineUPP LoadEntry(ComponentRecord* c) {
  std::lock_guard<std::recursive_mutex> lock(sRegistryMutex);
  if (c->mEntry) return c->mEntry;
  void* library = dlopen(c->mExecutable.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* symbol = library ? dlsym(library, c->mEntrySymbol.c_str()) : nullptr;
  if (!symbol) {
    if (library) dlclose(library);
    return nullptr;
  }
  c->mEntry = reinterpret_cast<ComponentRoutineUPP>(symbol);
  return c->mEntry;
}

static_assert(offsetof(ComponentParameters, params) == sizeof(long), "argument words follow the header");

} // namespace

extern "C" {

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
  auto lock = LockRegistry();
  std::vector<ComponentRecord*>& r = Registry();
  size_t start = 0;
  if (aComponent) {
    auto it = std::find(r.begin(), r.end(), aComponent);
    if (it == r.end()) return nullptr;
    start = static_cast<size_t>(it - r.begin()) + 1;
  }
  for (size_t i = start; i < r.size(); ++i)
    if (Matches(r[i], looking)) return r[i];
  return nullptr;
}

long CountComponents(ComponentDescription* looking) {
  auto lock = LockRegistry();
  return static_cast<long>(std::count_if(Registry().begin(), Registry().end(),
                                         [looking](ComponentRecord* c) { return Matches(c, looking); }));
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon) {
  ComponentRecord* c = ComponentOf(aComponent);
  if (!c) return invalidComponentID;
  if (componentName || componentInfo || componentIcon) return paramErr;
  if (cd) *cd = c->mDesc;
  return noErr;
}

OSStatus AudioComponentCopyName(Component aComponent, CFStringRef* outName) {
  ComponentRecord* c = ComponentOf(aComponent);
  if (!c) return invalidComponentID;
  if (!outName) return paramErr;
  *outName = CFRuntimeMakeString(c->mName);
  return noErr;
}

CFBundleRef GetComponentBundle(Component aComponent) {
  ComponentRecord* c = ComponentOf(aComponent);
  return c ? c->mBundle : nullptr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci) {
  if (!ci) return paramErr;
  *ci = nullptr;
  ComponentRecord* c = ComponentOf(aComponent);
  if (!c || c != aComponent || !c->mRegistered) return invalidComponentID;
  ComponentRoutineUPP entry = LoadEntry(c);
  if (!entry) return resFNotFound;
  ComponentInstanceRecord* inst = new ComponentInstanceRecord;
  inst->mComponent = c;
  inst->mEntry = entry;
  ComponentResult result = CallSimple(inst, kComponentOpenSelect, reinterpret_cast<long>(inst), true);
  if (result != noErr) {
    CallSimple(inst, kComponentCloseSelect, reinterpret_cast<long>(inst), true);
    inst->mMagic = kClosedMagic;
    delete inst;
    return static_cast<OSErr>(result);
  }
  *ci = inst;
  return noErr;
}

ComponentInstance OpenComponent(Component aComponent) {
  ComponentInstance ci = nullptr;
  OpenAComponent(aComponent, &ci);
  return ci;
}

OSErr CloseComponent(ComponentInstance ci) {
  ComponentInstanceRecord* inst = Instance(ci);
  if (!inst) return static_cast<OSErr>(badComponentInstance);
  ComponentResult result = CallSimple(inst, kComponentCloseSelect, reinterpret_cast<long>(inst), true);
  inst->mMagic = kClosedMagic;
  delete inst;
  return static_cast<OSErr>(result);
}

void SetComponentInstanceStorage(ComponentInstance ci, Handle storage) {
  if (ComponentInstanceRecord* inst = Instance(ci)) inst->mStorage.store(storage);
}

Handle GetComponentInstanceStorage(ComponentInstance ci) {
  ComponentInstanceRecord* inst = Instance(ci);
  return inst ? inst->mStorage.load() : nullptr;
}

Component GetComponentFromInstance(ComponentInstance ci) {
  ComponentInstanceRecord* inst = Instance(ci);
  return inst ? inst->mComponent : nullptr;
}

ComponentResult CallComponentDispatch(ComponentParameters* cp) {
  if (!cp) return paramErr;
  ComponentInstance ci = reinterpret_cast<ComponentInstance>(cp->params[cp->paramSize / sizeof(long)]);
  ComponentInstanceRecord* inst = Instance(ci);
  if (!inst) return badComponentInstance;
  return inst->mEntry(cp, inst->mStorage.load());
}

ComponentResult CallComponentCanDo(ComponentInstance ci, SInt16 ftnNumber) {
  ComponentInstanceRecord* inst = Instance(ci);
  if (!inst) return badComponentInstance;
  return CallSimple(inst, kComponentCanDoSelect, ftnNumber, true);
}

long GetComponentVersion(ComponentInstance ci) {
  ComponentInstanceRecord* inst = Instance(ci);
  if (!inst) return badComponentInstance;
  return CallSimple(inst, kComponentVersionSelect, 0, false);
}

long RegisterComponentBundle(const char* bundlePath) {
  if (!bundlePath) return 0;
  auto lock = LockRegistry();
  return RegisterBundleLocked(bundlePath);
}

Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP entry, const char* name) {
  if (!cd || !entry) return nullptr;
  auto lock = LockRegistry();
  ComponentRecord* c = new ComponentRecord;
  c->mDesc = *cd;
  c->mEntry = entry;
  c->mName = name ? name : "";
  Registry().push_back(c);
  return c;
}

OSErr UnregisterComponent(Component aComponent) {
  auto lock = LockRegistry();
  auto it = std::find(Registry().begin(), Registry().end(), aComponent);
  if (it == Registry().end() || !(*it)->mRegistered) return invalidComponentID;
  (*it)->mRegistered = false;
  return noErr;
}

} // extern "C"
