// The kelvo program's command line and commands, run in-process on the adapter's test
// effect (--unit Tsfx), as a user types them.

#include "AudioFile.h"
#include "Commands.h"
#include "Signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace {

struct Outcome
{
  int code = -1;
  std::string out;
  std::string err;
};

Outcome Kelvo(const std::vector<std::string>& args)
{
  std::ostringstream out, err;
  Outcome run;
  run.code = RunKelvo(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

bool Contains(const std::string& text, const std::string& part)
{
  return text.find(part) != std::string::npos;
}

std::string TempPath(const char* name)
{
  return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

TEST(CommandLine, CommandsTakeTheirFilesAndOptionsInEitherForm)
{
  KelvoCommand c;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({ "render", "in.wav", "--preset", "Final mix 2", "--set", "Mid Gain=-3", "out.wav",
                                 "--set=3=1.5", "--state=s.aupreset", "--block", "333", "--bypass", "--pcm16",
                                 "--unit", "Tsfx" },
                               &c, &error))
      << error;
  EXPECT_EQ(c.kind, KelvoCommandKind::kRender);
  EXPECT_EQ(c.files, (std::vector<std::string>{ "in.wav", "out.wav" }));
  EXPECT_EQ(c.settings.preset, "Final mix 2");
  EXPECT_EQ(c.settings.assignments, (std::vector<std::string>{ "Mid Gain=-3", "3=1.5" }));
  EXPECT_EQ(c.settings.stateFile, "s.aupreset");
  EXPECT_EQ(c.blockSize, 333u);
  EXPECT_TRUE(c.bypass);
  EXPECT_TRUE(c.pcm16);
  EXPECT_EQ(c.unitSubtype, "Tsfx");

  ASSERT_TRUE(ParseCommandLine({ "tone", "t.wav", "--level", "-12", "--freq=50", "--channels", "1" }, &c, &error));
  EXPECT_EQ(c.kind, KelvoCommandKind::kTone);
  EXPECT_EQ(c.levelDb, -12);
  EXPECT_EQ(c.frequency, 50);
  EXPECT_EQ(c.channels, 1);
  EXPECT_EQ(c.seconds, 2);  // the tone's default length
  ASSERT_TRUE(ParseCommandLine({ "show" }, &c, &error));
  EXPECT_EQ(c.seconds, 0);  // no time limit
  ASSERT_TRUE(ParseCommandLine({ "render", "a", "b", "--block", "1" }, &c, &error));
  ASSERT_TRUE(ParseCommandLine({ "render", "a", "b", "--block", "65536" }, &c, &error));
  // help wins wherever it stands
  ASSERT_TRUE(ParseCommandLine({ "render", "--bogus", "-h" }, &c, &error));
  EXPECT_EQ(c.kind, KelvoCommandKind::kHelp);
}

TEST(CommandLine, MistakesAreUsageErrorsThatSayWhatIsWrong)
{
  struct Case
  {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
    { {}, "no command given" },
    { { "play" }, "unknown command \"play\"" },
    { { "render", "in.wav" }, "\"render\" takes IN.wav OUT.wav" },
    { { "render", "a", "b", "c" }, "\"render\" takes IN.wav OUT.wav" },
    { { "list", "extra" }, "\"list\" takes no file arguments (\"extra\")" },
    { { "save-preset" }, "\"save-preset\" takes OUT.aupreset" },
    { { "render", "a", "b", "--block", "0" }, "--block takes a block size of 1 to 65536 frames, not \"0\"" },
    { { "render", "a", "b", "--block", "65537" }, "--block takes a block size" },
    { { "render", "a", "b", "--block", "-5" }, "--block takes a block size" },
    { { "render", "a", "b", "--block", "12x" }, "--block takes a block size" },
    { { "render", "a", "b", "--block" }, "option --block needs a value" },
    { { "render", "a", "b", "--set", "Gain" }, "--set takes NAME_OR_ID=VALUE, not \"Gain\"" },
    { { "render", "a", "b", "--set", "=3" }, "--set takes NAME_OR_ID=VALUE" },
    { { "params", "--unit", "Kvl" }, "--unit takes a four-character subtype, not \"Kvl\"" },
    { { "presets", "--bypass" }, "option --bypass does not apply to \"presets\"" },
    { { "list", "--unit", "Tsfx" }, "option --unit does not apply to \"list\"" },
    { { "render", "a", "b", "--bypass=yes" }, "option --bypass takes no value" },
    { { "render", "a", "b", "--gain", "3" }, "unknown option \"--gain\"" },
    { { "render", "a", "b", "-x" }, "unknown option \"-x\"" },
    { { "show", "--seconds", "-1" }, "--seconds takes a number of seconds" },
    { { "tone", "t.wav", "--channels", "3" }, "--channels takes 1 or 2 channels" },
    { { "tone", "t.wav", "--level", "3" }, "--level takes a level from -200 to 0 dBFS" },
    { { "tone", "t.wav", "--freq", "0" }, "--freq takes a frequency above 0 Hz" },
    { { "tone", "t.wav", "--rate", "44100.5" }, "--rate takes a sample rate" },
  };
  for (const Case& c : cases) {
    const Outcome run = Kelvo(c.args);
    EXPECT_EQ(run.code, kExitUsage) << c.message;
    EXPECT_TRUE(Contains(run.err, std::string("kelvo: ") + c.message)) << run.err;
    EXPECT_TRUE(Contains(run.err, "kelvo --help")) << run.err;
    EXPECT_TRUE(run.out.empty()) << c.message;
  }
}

TEST(KelvoProgram, HelpNamesEveryCommandAndTheExitCodes)
{
  const Outcome run = Kelvo({ "--help" });
  EXPECT_EQ(run.code, kExitSuccess);
  for (const char* command : { "list", "params", "presets", "render IN.wav OUT.wav", "save-preset OUT.aupreset",
                               "load-preset IN.aupreset", "show", "tone OUT.wav", "--unit SUBTYPE",
                               "KELVO_COMPONENT_PATH", "2 usage error" }) {
    EXPECT_TRUE(Contains(run.out, command)) << command;
  }
}

TEST(KelvoProgram, ListAndPresetsShowTheTestEffect)
{
  Outcome run = Kelvo({ "list" });
  EXPECT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "aufx  Tsfx     KlvT          Kelvo Tests: TestEffect")) << run.out;
  EXPECT_TRUE(Contains(run.out, "/tests/au/TestEffect.component\n")) << run.out;
  run = Kelvo({ "presets", "--unit", "Tsfx" });
  EXPECT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "3 factory presets:\n    0  Unity  (current)\n    1  Leise"));
  EXPECT_TRUE(Contains(run.out, "    2  Loud\n"));
}

TEST(KelvoProgram, ParamsShowValuesAfterPresetAndSettings)
{
  const Outcome run = Kelvo({ "params", "--unit", "Tsfx", "--preset", "loud", "--set", "Gain=-1.5" });
  EXPECT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "  preset 2 \"Loud\"\n  \"Gain\" = -1.5 dB\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "8 parameters:")) << run.out;
  EXPECT_TRUE(Contains(run.out, "    0  Gain               -1.5 dB  -24 .. 12 dB\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "    1  Mode of operation  2 (Hot)  0 .. 2 indexed  [Clean | Warm | Hot]\n"))
      << run.out;
}

TEST(KelvoProgram, RenderWritesTheFileThroughTheUnitAndReportsLevels)
{
  const std::string tone = TempPath("tone.wav");
  const std::string out = TempPath("out.wav");
  Outcome run = Kelvo({ "tone", tone, "--freq", "50", "--seconds", "0.25", "--rate", "48000", "--channels", "1",
                    "--pcm16" });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  run = Kelvo({ "render", tone, out, "--unit", "Tsfx", "--set", "Gain=-6", "--block", "1000", "--pcm16" });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "1 channel(s), 48000 Hz, 12000 frames (0.250 s), 16-bit integer")) << run.out;
  EXPECT_TRUE(Contains(run.out, "rendered 12 block(s) of up to 1000 frames\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "levels: in  peak -6.0")) << run.out;
  EXPECT_TRUE(Contains(run.out, "        out peak -12.0")) << run.out;

  AudioFile in, rendered;
  WavSampleFormat format;
  std::string error;
  ASSERT_TRUE(ReadWavFile(tone, &in, nullptr, &error)) << error;
  ASSERT_TRUE(ReadWavFile(out, &rendered, &format, &error)) << error;
  EXPECT_EQ(format, WavSampleFormat::kPcm16);
  EXPECT_EQ(rendered.sampleRate, 48000);
  ASSERT_EQ(rendered.NumChannels(), 1);
  ASSERT_EQ(rendered.NumFrames(), in.NumFrames());
  const double gain = std::pow(10.0, -6.0 / 20.0);
  for (size_t i = 0; i < in.NumFrames(); ++i) {
    // one 16-bit step of rounding
    ASSERT_NEAR(rendered.channels[0][i], in.channels[0][i] * gain, 1.0 / 32768) << i;
  }

  // bypassed, 32-bit float: the input as it was
  run = Kelvo({ "render", tone, out, "--unit", "Tsfx", "--set", "Gain=-6", "--bypass" });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  ASSERT_TRUE(ReadWavFile(out, &rendered, &format, &error)) << error;
  EXPECT_EQ(format, WavSampleFormat::kFloat32);
  EXPECT_EQ(rendered.channels, in.channels);
  unlink(tone.c_str());
  unlink(out.c_str());
}

TEST(KelvoProgram, SavedPresetLoadsBackIntoItsUnit)
{
  const std::string path = TempPath("mine.aupreset");
  Outcome run = Kelvo({ "save-preset", path, "--unit", "Tsfx", "--preset", "2", "--set", "Invert=off", "--name",
                    "Mine" });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "saved \"Mine\" of Kelvo Tests: TestEffect (aufx Tsfx KlvT) to " + path)) << run.out;
  // the file names its unit: no --unit needed
  run = Kelvo({ "load-preset", path });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "restored \"Mine\" into Kelvo Tests: TestEffect (aufx Tsfx KlvT)")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Gain               6 dB")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Invert             0 (off)")) << run.out;
  // and it is what --state restores before a render
  run = Kelvo({ "params", "--unit", "Tsfx", "--state", path });
  ASSERT_EQ(run.code, kExitSuccess) << run.err;
  EXPECT_TRUE(Contains(run.out, "  state " + path + " (\"Mine\")\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Mode of operation  2 (Hot)")) << run.out;

  run = Kelvo({ "load-preset", path, "--unit", "Prbe" });
  EXPECT_EQ(run.code, kExitFailure);
  EXPECT_TRUE(Contains(run.err, "the preset is for aufx Tsfx KlvT, not for subtype \"Prbe\"")) << run.err;
  unlink(path.c_str());
}

TEST(KelvoProgram, FailuresExitWithOneAndOneLineThatSaysWhy)
{
  const std::string missing = TempPath("missing.wav");
  const std::string text = TempPath("text.wav");
  FILE* f = fopen(text.c_str(), "w");
  fputs("not audio", f);
  fclose(f);
  const std::string out = TempPath("never.wav");
  struct Case
  {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
    { { "render", missing, out, "--unit", "Tsfx" }, missing + ": No such file or directory" },
    { { "render", text, out, "--unit", "Tsfx" }, text + ": not a RIFF/WAVE file" },
    { { "presets", "--unit", "Nope" }, "no audio unit with subtype \"Nope\" was found" },
    { { "params", "--unit", "Tsfx", "--preset", "9" }, "no factory preset number 9" },
    { { "params", "--unit", "Tsfx", "--preset", "Quiet" }, "no factory preset named \"Quiet\"" },
    { { "params", "--unit", "Tsfx", "--set", "Volume=1" }, "no parameter \"Volume\"" },
    { { "params", "--unit", "Tsfx", "--set", "Gain=13" }, "\"Gain\" takes -24 to 12, not 13" },
    { { "params", "--unit", "Tsfx", "--state", missing }, missing + ": No such file or directory" },
    { { "load-preset", text }, text + ": not a property list" },
    { { "save-preset", TempPath("no/such/dir.aupreset"), "--unit", "Tsfx" }, "dir.aupreset: No such file" },
    { { "show", "--unit", "Tsfx" }, "Kelvo Tests: TestEffect (aufx Tsfx KlvT): the unit has no Cocoa view" },
  };
  for (const Case& c : cases) {
    const Outcome run = Kelvo(c.args);
    EXPECT_EQ(run.code, kExitFailure) << c.message;
    EXPECT_EQ(run.err.find("kelvo: "), 0u) << run.err;
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_NE(access(out.c_str(), F_OK), 0);
  unlink(text.c_str());
}
