#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <CoreServices/Gestalt.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string MakeTempDir()
{
  char name[] = "/tmp/kelvo-ui-XXXXXX";
  const char* dir = mkdtemp(name);
  return dir ? dir : "";
}

void WriteFile(const std::string& path, const std::string& text)
{
  std::ofstream(path) << text;
}

// A bundle folder "<dir>/Probe.component" with an identifier, an executable and two
// image resources.
std::string MakeBundle(const std::string& dir, const char* identifier)
{
  const std::string bundle = dir + "/Probe.component";
  for (const char* sub : {"", "/Contents", "/Contents/MacOS", "/Contents/Resources"})
    mkdir((bundle + sub).c_str(), 0755);
  WriteFile(bundle + "/Contents/Info.plist",
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                        "<key>CFBundleIdentifier</key><string>") +
                identifier +
                "</string><key>CFBundleExecutable</key><string>Probe</string></dict></plist>\n");
  WriteFile(bundle + "/Contents/MacOS/Probe", "");
  WriteFile(bundle + "/Contents/Resources/vu.png", "png");
  WriteFile(bundle + "/Contents/Resources/knob.jpg", "jpg");
  return bundle;
}

}  // namespace

TEST(NSBundle, FoundByIdentifierGivesItsPathsAndResources)
{
  NSAutoreleasePool pool;
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  const std::string path = MakeBundle(dir, "org.kelvo.probe.ui");
  EXPECT_EQ(NSBundle::bundleWithIdentifier(NSSTR("org.kelvo.probe.ui.absent")), nullptr);
  NSBundle* byPath = NSBundle::bundleWithPath(NSString::stringWithUTF8String(path.c_str()));
  ASSERT_NE(byPath, nullptr);
  NSBundle* bundle = NSBundle::bundleWithIdentifier(NSSTR("org.kelvo.probe.ui"));
  ASSERT_EQ(bundle, byPath);
  EXPECT_STREQ(bundle->bundleIdentifier()->UTF8String(), "org.kelvo.probe.ui");
  EXPECT_EQ(bundle->bundlePath()->UTF8String(), path);
  EXPECT_EQ(bundle->executablePath()->UTF8String(), path + "/Contents/MacOS/Probe");
  EXPECT_EQ(bundle->pathForResource_ofType(NSSTR("vu"), NSSTR("png"))->UTF8String(),
            path + "/Contents/Resources/vu.png");
  EXPECT_EQ(bundle->pathForResource_ofType(NSSTR("knob.jpg"), nullptr)->UTF8String(),
            path + "/Contents/Resources/knob.jpg");
  EXPECT_EQ(bundle->pathForResource_ofType(NSSTR("vu"), NSSTR("jpg")), nullptr);
  EXPECT_EQ(bundle->pathForResource_ofType(nullptr, NSSTR("png")), nullptr);
  EXPECT_EQ(bundle->pathForResource_ofType(NSSTR("../Info"), NSSTR("plist")), nullptr);
  EXPECT_EQ(NSBundle::bundleWithPath(NSSTR("/nonexistent/Probe.component")), nullptr);
  EXPECT_EQ(NSBundle::bundleWithIdentifier(nullptr), nullptr);
  std::system(("rm -rf " + dir).c_str());
}

TEST(NSString, PathComponentsAsTheResourceLookUpUsesThem)
{
  NSAutoreleasePool pool;
  using Op = NSString* (NSString::*)() const;
  const Op last = &NSString::lastPathComponent, ext = &NSString::pathExtension,
           noExt = &NSString::stringByDeletingPathExtension, parent = &NSString::stringByDeletingLastPathComponent;
  const struct
  {
    const char* in;
    Op op;
    const char* out;
  } table[] = {{"img/vu.PNG", last, "vu.PNG"}, {"img/vu.PNG", ext, "PNG"},      {"vu.PNG", noExt, "vu"},
               {"/a/b/", parent, "/a"},       {"/a", parent, "/"},             {"noext", ext, ""},
               {"dir.d/file", ext, ""},       {".hidden", noExt, ".hidden"}};
  for (const auto& row : table)
    EXPECT_STREQ((NSString::stringWithUTF8String(row.in)->*row.op)()->UTF8String(), row.out) << row.in;
  NSString* s = NSSTR("img/vu.PNG");
  CFStringRef cf = s->copyCFString();
  EXPECT_TRUE(NSString::stringWithCFString(cf)->isEqualToString(s));
  CFRelease(cf);
}

namespace {

class Probe_View : public AUCocoaUIBase
{
public:
  unsigned interfaceVersion() override { return 7; }
  NSView* uiViewForAudioUnit_withSize(AudioUnit, NSSize) override { return nullptr; }
};

class NotAFactory : public NSObject
{
};

}  // namespace

TEST(ClassRegistry, HostFindsTheViewFactoryByTheNameInTheViewInfo)
{
  NSAutoreleasePool pool;
  {
    NSClassRegistration<Probe_View> registration("Probe_View");
    NSClassRegistration<NotAFactory> other("NotAFactory");
    Class cls = NSClassFromString(CFSTR("Probe_View"));
    ASSERT_NE(cls, nullptr);
    EXPECT_STREQ(cls->name, "Probe_View");
    EXPECT_EQ(NSClassFromString(NSSTR("Probe_View")), cls);
    // a new instance of the registered class
    AUCocoaUIBase* factory = AUCocoaUIBaseCreate(cls);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->interfaceVersion(), 7u);
    factory->release();
    // a class that does not conform to the protocol gives no factory
    EXPECT_EQ(AUCocoaUIBaseCreate(NSClassFromCString("NotAFactory")), nullptr);
  }
  // unloading the component unregisters its classes
  EXPECT_EQ(NSClassFromCString("Probe_View"), nullptr);
  EXPECT_EQ(NSClassFromCString(nullptr), nullptr);
  EXPECT_EQ(NSClassFromString(static_cast<NSString*>(nullptr)), nullptr);
}

TEST(NSURL, WebAndFileLinks)
{
  NSAutoreleasePool pool;
  NSURL* web = NSURL::URLWithString(NSSTR("http://www.example.org/kelvo?x=1"));
  ASSERT_NE(web, nullptr);
  EXPECT_STREQ(web->scheme()->UTF8String(), "http");
  EXPECT_FALSE(web->isFileURL());
  EXPECT_STREQ(web->path()->UTF8String(), "/kelvo");
  for (NSString* bad : {NSSTR("http://bad link"), NSSTR(""), static_cast<NSString*>(nullptr)})
    EXPECT_EQ(NSURL::URLWithString(bad), nullptr);
  NSURL* file = NSURL::fileURLWithPath(NSSTR("/tmp/Kelvo manual.pdf"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->isFileURL());
  EXPECT_STREQ(file->absoluteString()->UTF8String(), "file:///tmp/Kelvo%20manual.pdf");
  EXPECT_STREQ(file->path()->UTF8String(), "/tmp/Kelvo manual.pdf");
  EXPECT_EQ(NSURL::fileURLWithPath(NSSTR("")), nullptr);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(NSURL::fileURLWithPath(NSSTR("relative"))->path()->UTF8String()),
            std::string(cwd) + "/relative");
}

TEST(NSWorkspace, OpenURLStartsTheOpenerWithoutWaitingAndReportsAMissingOne)
{
  NSAutoreleasePool pool;
  const std::string dir = MakeTempDir();
  const std::string script = dir + "/opener";
  const std::string out = dir + "/opened";
  WriteFile(script, "#!/bin/sh\nsleep 0.2\nprintf '%s' \"$1\" > " + out + ".tmp && mv " + out + ".tmp " + out + "\n");
  chmod(script.c_str(), 0755);
  NSWorkspace* ws = NSWorkspace::sharedWorkspace();
  ws->setOpenerCommand(script.c_str());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ws->openURL(NSURL::URLWithString(NSSTR("http://www.example.org/"))));
  // the opener is still sleeping: openURL did not wait for it
  EXPECT_NE(access(out.c_str(), F_OK), 0);
  std::stringstream opened;
  std::ifstream in;
  while (!(in = std::ifstream(out)) && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  opened << in.rdbuf();
  EXPECT_EQ(opened.str(), "http://www.example.org/");
  ws->setOpenerCommand((dir + "/missing-opener").c_str());
  EXPECT_FALSE(ws->openURL(NSURL::URLWithString(NSSTR("http://www.example.org/"))));
  EXPECT_FALSE(ws->openURL(nullptr));
  ws->setOpenerCommand(nullptr);
  std::system(("rm -rf " + dir).c_str());
}

TEST(Gestalt, SystemVersionIsTenSixOrLater)
{
  SInt32 version = 0, minor = 0;
  EXPECT_EQ(Gestalt(gestaltSystemVersion, &version), noErr);
  EXPECT_EQ(Gestalt(gestaltSystemVersionMinor, &minor), noErr);
  EXPECT_EQ(std::make_pair(version, minor), std::make_pair(0x1068, 6));
  EXPECT_EQ(Gestalt(0x78787878, &version), gestaltUndefSelectorErr);
  EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), paramErr);
  EXPECT_TRUE(NSApplicationLoad());
}
