// Scripted sessions through the `tunely` command, offline: the panel worked by its steps is heard
// exactly where the steps fall, and the files the panel writes hold exactly what it was given
// (read back by Python's plistlib, a reader of the format that is not ours); steps that cannot
// be carried out are reported by line and leave a valid output; a malformed script plays nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "CommandHarness.h"
#include "ImageCompare.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"

namespace {

namespace fs = std::filesystem;
using host::DecodedAudio;
using namespace tunely_test;
using namespace lowtide;

const char* kDataFolder = "/var/mobile/Library/Application Support/Tunely/";

// The session: open the panel, move filter and bass controls, flip switches, change the type,
// reset, save a preset, load it, delete another one, close.
const char* kScript = R"(# a whole panel session
0.2 tap eq-button
0.5 switch powerSwitch on
0.5 slide gainSlider 12
0.5 slide freqSlider 1500
0.8 segment typeControl 1
1.0 switch bassSwitch on
1.0 slide bassGainSlider 1.25
1.0 slide bassIntensitySlider 3
1.0 slide bassFrequencySlider 60
1.3 switch powerSwitch off
1.5 tap "Options"
1.5 tap "Reset to defaults"
1.7 switch powerSwitch on
1.9 tap "Options"
1.9 tap "Save"
1.9 type nameField "Warm "
1.9 tap "Save"
2.2 slide gainSlider 6
2.2 slide BWSlider 2.5
2.4 tap "Options"
2.4 tap "Load"
2.4 tap "Warm "
2.6 tap "Options"
2.6 tap "Load"
2.6 delete "Old"
2.6 tap "Cancel"
2.8 tap "Done"
)";

// A parameter change at a moment of the session, as the engine sees it.
struct Change {
  double time;
  std::function<void()> apply;
};

void setDefaults() {
  bassgain = 1.0;
  bassfreq = 80.0;
  bassintens = 0.0;
  freq = 2222.0;
  gain = 0.0;
  bandwidth = 5.0;
  eqType = 2;
  updateEq();
}

// The same session applied straight to the engine, each change before the first block that
// starts at or after its time, and the samples walked through the kernel in force.
std::vector<float> expectedOutput(const DecodedAudio& in, int64_t blockFrames) {
  resetEngineForTesting();
  prepareEq(in.sampleRate);  // the first preparation: sections made, kernel pass-through
  const std::vector<Change> changes = {
      {0.5, [] { enabled = true; setFunc(); gain = 12.0; updateEq(); freq = 1500.0; updateEq(); }},
      {0.8, [] { eqType = 1; updateEq(); }},
      {1.0, [] { bassenabled = true; setFunc(); bassgain = 1.25; bassintens = 3.0; bassfreq = 60.0; }},
      {1.3, [] { enabled = false; setFunc(); }},
      {1.5, [] { setDefaults(); }},
      {1.7, [] { enabled = true; setFunc(); }},
      {2.2, [] { gain = 6.0; updateEq(); bandwidth = 2.5; updateEq(); }},
      {2.4, [] { setDefaults(); }},  // "Warm " holds the defaults
  };
  std::vector<float> out = in.samples;
  size_t next = 0;
  for (int64_t start = 0; start < in.frames; start += blockFrames) {
    const double clock = double(start) / in.sampleRate;
    while (next < changes.size() && changes[next].time <= clock) changes[next++].apply();
    const int64_t end = std::min(in.frames, start + blockFrames);
    for (size_t i = size_t(start) * size_t(in.channels); i < size_t(end) * size_t(in.channels); ++i)
      out[i] = performFilters.load()(out[i]);
  }
  resetEngineForTesting();
  return out;
}

// A property-list file as Python's plistlib reads it, printed as JSON with sorted keys.
std::string plistAsJson(const std::string& path) {
  const std::string command =
      "python3 -c 'import json,plistlib,sys; print(json.dumps(plistlib.load(open(sys.argv[1],\"rb\")), "
      "sort_keys=True))' '" + path + "' 2>&1";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

class ScriptedSessionTest : public ::testing::Test {
 protected:
  std::string root() const { return temp_.file("device"); }
  std::string file(const std::string& name) const { return temp_.file(name); }
  std::string data(const std::string& name) const { return root() + kDataFolder + name; }

  std::string writeScript(const std::string& text) {
    std::ofstream(file("session.script")) << text;
    return file("session.script");
  }

  CommandResult play(const std::string& in, const std::string& script) {
    return runTunely({"play", "--device-root", root(), in, "--output", file("out.wav"), "--script", script},
                     temp_.path());
  }

 private:
  TempFolder temp_;
};

constexpr const char* kDefaultsJson =
    R"({"bassfreq": "80.000000", "bassgain": "1.000000", "bassintens": "0.000000", "filtbw": "5.000000", )"
    R"("filtfreq": "2222.000000", "filtgain": "0.000000", "filttype": "2"})";

TEST_F(ScriptedSessionTest, APanelSessionIsHeardAtItsBlockBoundariesAndWritesExactlyItsFiles) {
  const DecodedAudio in = testSignal(44100, 2, 3.5);
  writeFloatWav(file("in.wav"), in);
  // A stored preset for the session to delete.
  fs::create_directories(root() + kDataFolder);
  std::ofstream(data("presets.plist")) << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Old</key><dict>
<key>bassgain</key><string>0.500000</string><key>bassfreq</key><string>40.000000</string>
<key>bassintens</key><string>1.000000</string><key>filtgain</key><string>3.000000</string>
<key>filtfreq</key><string>900.000000</string><key>filtbw</key><string>4.000000</string>
<key>filttype</key><string>0</string></dict></dict></plist>)";

  const CommandResult r = play(file("in.wav"), writeScript(kScript));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.find("skipped"), std::string::npos) << r.output;

  const DecodedAudio out = readWav(file("out.wav"));
  const std::vector<float> expected = expectedOutput(in, 4096);
  ASSERT_EQ(out.samples.size(), expected.size());
  size_t first = 0;
  while (first < expected.size() && std::memcmp(&out.samples[first], &expected[first], sizeof(float)) == 0) ++first;
  EXPECT_EQ(first, expected.size()) << "first differing sample " << first << " (frame " << first / 2 << ")";

  EXPECT_EQ(plistAsJson(data("last.plist")), kDefaultsJson);
  EXPECT_EQ(plistAsJson(data("presets.plist")), std::string(R"({"Warm ": )") + kDefaultsJson + "}");
}

TEST_F(ScriptedSessionTest, StepsThatCannotBeCarriedOutAreReportedByLineAndTheOutputStaysValid) {
  const DecodedAudio in = testSignal(44100, 2, 1.0);
  writeFloatWav(file("in.wav"), in);
  const CommandResult r = play(file("in.wav"), writeScript(R"(0.1 tap eq-button
0.2 tap noSuchControl
0.2 tap eqplusbtn          # the Bands button, hidden without the DEBUG marker
0.3 slide powerSwitch 3
0.3 segment typeControl 7
0.4 slide gainSlider 30
0.4 tap "Do)" + std::string(1, '\0') + R"(ne"
5.0 tap "Done"
)"));
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* message : {"session.script:2: tap noSuchControl: no such target on screen; skipped",
                              "session.script:3: tap eqplusbtn: is hidden or out of sight; skipped",
                              "session.script:4: slide powerSwitch: is not a slider but a UISwitch; skipped",
                              "session.script:5: segment typeControl: has no segment 7; skipped",
                              "session.script:6: slide gainSlider: 30 is outside the slider's range",
                              "session.script:7: tap \"Do\\x00ne\": no such target on screen; skipped",
                              "session.script:8: tap \"Done\": timed at 5 s, after the session ended"})
    EXPECT_NE(r.output.find(message), std::string::npos) << message << "\n" << r.output;
  // The session played to its end: a whole file, the input unchanged (the panel changed nothing).
  const DecodedAudio out = readWav(file("out.wav"));
  EXPECT_EQ(out.frames, in.frames);
  EXPECT_EQ(out.samples, in.samples);
}

TEST_F(ScriptedSessionTest, AMalformedScriptIsRefusedBeforeAnythingPlays) {
  const DecodedAudio in = testSignal(44100, 2, 0.5);
  writeFloatWav(file("in.wav"), in);
  const std::pair<const char*, const char*> cases[] = {
      {"0.5 tap Options\n0.7 tapp Done\n", "session.script:2: unknown verb \"tapp\""},
      {"soon tap Options\n", "session.script:1: the time \"soon\" is not a number"},
      {"1 switch powerSwitch maybe\n", "session.script:1: a switch is turned \"on\" or \"off\", not \"maybe\""},
      {"1 tap \"Save\n", "session.script:1: a quoted text has no closing quote"},
      {"1 screenshot shot.jpg\n", "session.script:1: a screenshot is written as a .png file"},
  };
  for (const auto& [text, message] : cases) {
    fs::remove(file("out.wav"));
    const CommandResult r = play(file("in.wav"), writeScript(text));
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_NE(r.output.find(message), std::string::npos) << message << "\n" << r.output;
    EXPECT_EQ(r.output.find("Playing"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(file("out.wav"))) << text;
  }
}

}  // namespace

namespace {

// What the session shows, from the script's screenshots at the player's default scale: the Now
// Playing screen, and the panel open over it on its blurred backdrop, against references made by
// the drawing code (TUNELY_UPDATE_REFERENCES=1 writes them anew).
TEST_F(ScriptedSessionTest, ThePlayerAndTheOpenPanelLookAsTheirReferences) {
  const DecodedAudio in = testSignal(44100, 2, 2.0);
  writeFloatWav(file("Evening Walk.wav"), in);
  const std::string shots = file("shots");
  fs::create_directories(shots);
  const CommandResult r = play(file("Evening Walk.wav"), writeScript("0.5 screenshot " + shots + "/player.png\n"
                                                                      "1.0 tap eq-button\n"
                                                                      "1.0 switch powerSwitch on\n"
                                                                      "1.0 slide gainSlider 6\n"
                                                                      "1.5 screenshot " + shots + "/panel.png\n"));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string references = std::string(TUNELY_SOURCE_DIR) + "/tests/host/script/reference/";
  for (const char* name : {"player", "panel"}) {
    CGImage shot;
    ASSERT_TRUE(CGImageReadPNG(shots + "/" + name + ".png", shot)) << name;
    EXPECT_EQ(shot.width, 640u);
    EXPECT_EQ(shot.height, 1136u);
    EXPECT_TRUE(image_compare::MatchesReference(shot, references + name + "@2x.png")) << name;
  }
}

}  // namespace

namespace {

// Live playback on the sound device (SDL's disk driver) with the panel worked by a script on the
// wall clock while the audio thread plays: every step lands, the closing panel saves what it was
// given, and (in the ThreadSanitizer build) nothing races.
TEST_F(ScriptedSessionTest, ALivePanelSessionWorksWhileTheAudioThreadPlays) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 1.6));
  const std::string script = writeScript(R"(0.1 tap eq-button
0.2 switch powerSwitch on
0.3 slide gainSlider 12
0.4 switch bassSwitch on
0.5 slide bassIntensitySlider 3
0.6 segment typeControl 1
0.8 tap "Done"
)");
  const CommandResult r =
      runTunely({"play", "--device-root", root(), file("in.wav"), "--no-window", "--script", script}, file(""),
                {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file("device.raw")}});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.find("skipped"), std::string::npos) << r.output;
  EXPECT_EQ(plistAsJson(data("last.plist")),
            R"({"bassfreq": "80.000000", "bassgain": "1.000000", "bassintens": "3.000000", "filtbw": "5.000000", )"
            R"("filtfreq": "80.000000", "filtgain": "12.000000", "filttype": "1"})");
}

}  // namespace

namespace {

// The Now Playing screen's own controls set: Shuffle on, Repeat One and the volume turned down,
// at 1x and 2x, against references (TUNELY_UPDATE_REFERENCES=1 writes them anew): the titles fit
// their buttons.
TEST_F(ScriptedSessionTest, NowPlayingWithShuffleRepeatAndVolumeLooksAsItsReferences) {
  writeFloatWav(file("Evening Walk.wav"), testSignal(44100, 2, 2.0));
  const std::string references = std::string(TUNELY_SOURCE_DIR) + "/tests/host/script/reference/";
  for (int scale : {1, 2}) {
    SCOPED_TRACE(scale);
    const std::string shot = file("now-playing.png");
    const CommandResult r = runTunely(
        {"play", "--device-root", root(), file("Evening Walk.wav"), "--output", file("out.wav"), "--scale", std::to_string(scale), "--script",
         writeScript("0.5 tap shuffle\n0.5 tap repeat\n0.5 tap repeat\n0.5 slide volume 0.6\n1.0 screenshot " + shot +
                     "\n1.5 tap repeat\n")},
        file(""));
    ASSERT_EQ(r.status, 0) << r.output;
    CGImage image;
    ASSERT_TRUE(CGImageReadPNG(shot, image));
    EXPECT_EQ(image.width, 320u * unsigned(scale));
    EXPECT_TRUE(image_compare::MatchesReference(image, references + "now-playing-controls@" + std::to_string(scale) +
                                                           "x.png"));
  }
}

}  // namespace
