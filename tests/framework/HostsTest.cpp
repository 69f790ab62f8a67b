#include "Hosts.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <string>

TEST(Hosts, LookUpIsCaseInsensitiveAndTheTableOrderDecides)
{
  EXPECT_EQ(0, LookUpHost(nullptr));
  struct { const char* name; int code; } names[] = {
    { "Logic Pro", 21 }, { "My Live Rig", 9 }, { "", 0 }, { "com.example.CUBASE.nuendo", 3 }, { "com.example.unknownhost", 0 },
  };
  for (const auto& n : names) {
    EXPECT_EQ(n.code, LookUpHost(n.name)) << n.name;
  }
  const char* texts[] = { "cubase", "reaper", "nuendo", "cakewalk", "samplitude", "fruity",
                          "live", "melodyne", "vstmanlib", "aulab", "forte", "chainer",
                          "audition", "orion", "sawstudio", "logic", "digital" };
  const int codes[] = { 3, 1, 4, 5, 8, 7, 9, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22 };
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(codes[i], LookUpHost(texts[i])) << texts[i];
    // A later text in the same name never wins over an earlier one.
    for (int j = i + 1; j < 17; ++j) {
      std::string both = std::string(texts[j]) + "." + texts[i];
      EXPECT_EQ(codes[i], LookUpHost(both.c_str())) << both;
    }
  }
  // Only the first 255 characters are searched.
  std::string padded(255, '.');
  EXPECT_EQ(0, LookUpHost((padded + "logic").c_str()));
  EXPECT_EQ(21, LookUpHost((padded.substr(5) + "logic").c_str()));
}

TEST(Hosts, VersionsUnpackToDecimalAndText)
{
  char text[32];
  struct { int version, decimal; const char* text; } rows[] = { { 0x10101, 10101, "v1.01" }, { 0x20A05, 21005, "v2.10" } };
  for (const auto& r : rows) {
    EXPECT_EQ(r.decimal, GetDecimalVersion(r.version));
    GetVersionStr(r.version, text);
    EXPECT_STREQ(r.text, text);
  }
  int major, minor, patch;
  GetVersionParts(static_cast<int>(0xFFFF0102u), &major, &minor, &patch);
  EXPECT_EQ(65535, major);  // read without sign
  EXPECT_EQ(1, minor);
  EXPECT_EQ(2, patch);
}

namespace {

// Identifies the host on first use, as a host adapter does.
class IdentifyingPlug : public TestPlug
{
public:
  int GetHost() override
  {
    int host = TestPlug::GetHost();
    if (host == kHostUninit) {
      ++mLookUps;
      SetHost("com.example.Logic", 0x30201);
      host = TestPlug::GetHost();
    }
    return host;
  }
  int mLookUps = 0;
};

} // namespace

TEST(Hosts, HostVersionIdentifiesTheHostFirst)
{
  TestPlug plug;
  EXPECT_EQ(kHostUninit, plug.GetHost());
  plug.SetHost("no such host", 0x10203);
  EXPECT_EQ(kHostUnknown, plug.GetHost());
  EXPECT_EQ(0x10203, plug.GetHostVersion(false));
  EXPECT_EQ(10203, plug.GetHostVersion(true));

  IdentifyingPlug identifying;
  EXPECT_EQ(30201, identifying.GetHostVersion(true));
  EXPECT_EQ(21, identifying.GetHost());
  EXPECT_EQ(1, identifying.mLookUps);
}
