#include <AudioUnit/AudioUnit.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Path(CFURLRef url) {
  CFStringRef s = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  std::string p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  CFRelease(s);
  return p;
}

} // namespace

TEST(CFBundle, ComponentBundleIsFoundByIdentifierWithItsPartsAndMainBundleIsTheProgramsFolder) {
  ComponentDescription cd = {kAudioUnitType_Effect, 0x50726265 /* 'Prbe' */, 0, 0, 0};
  ASSERT_NE(FindNextComponent(nullptr, &cd), nullptr); // registers the build tree's bundles
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("org.kelvo.tests.PlatformProbe"));
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(bundle, GetComponentBundle(FindNextComponent(nullptr, &cd)));
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(bundle), CFSTR("org.kelvo.tests.PlatformProbe")));
  const std::string root = std::string(KELVO_BINARY_DIR) + "/tests/platform/PlatformProbe.component";
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  EXPECT_EQ(Path(url), root);
  CFURLRef exe = CFBundleCopyExecutableURL(bundle);
  ASSERT_NE(exe, nullptr);
  EXPECT_EQ(Path(exe), root + "/Contents/MacOS/PlatformProbe");
  CFURLRef resources = CFBundleCopyResourcesDirectoryURL(bundle);
  EXPECT_EQ(Path(resources), root + "/Contents/Resources");
  CFURLRef probe = CFBundleCopyResourceURL(bundle, CFSTR("probe"), CFSTR("txt"), nullptr);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(Path(probe), root + "/Contents/Resources/probe.txt");
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("png"), nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
  CFDictionaryRef info = CFBundleGetInfoDictionary(bundle);
  EXPECT_EQ(CFGetTypeID(CFDictionaryGetValue(info, CFSTR("AudioComponents"))), CFArrayGetTypeID());
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey), CFSTR("PlatformProbe")));
  // The same folder gives the same bundle.
  EXPECT_EQ(CFBundleCreate(nullptr, url), bundle);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.kelvo.tests.Nothing")), nullptr);

  // The main bundle is the program's folder, without identifier.
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(main)), 0);
  CFURLRef mainURL = CFBundleCopyBundleURL(main);
  EXPECT_EQ(Path(mainURL), std::string(KELVO_BINARY_DIR) + "/tests/platform");
  for (CFURLRef u : {url, exe, resources, probe, mainURL}) CFRelease(u);
  CFURLRef missing = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/no/such/Thing.component"), kCFURLPOSIXPathStyle,
                                                   true);
  EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
  CFRelease(missing);
}
