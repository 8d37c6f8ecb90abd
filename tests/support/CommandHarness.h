// Runs the built `tunely` command in a temporary folder and reads back what it wrote.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/media/DecodedAudio.h"

namespace tunely_test {

// The whole of a file as bytes ("" when it cannot be read).
std::string fileContents(const std::string& path);
// Writes `bytes` as the whole file, making the folders above it first.
void writeFileMakingFolders(const std::string& path, const std::string& bytes);

// A fresh folder (mkdtemp) removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct CommandResult {
  int status = -1;     // exit status, or -1 if it did not exit normally
  std::string output;  // standard output and standard error together
};

// Runs TUNELY_COMMAND with these arguments and extra environment variables and waits for it;
// its output goes through a file in `workFolder`.
CommandResult runTunely(const std::vector<std::string>& args, const std::string& workFolder,
                        const std::map<std::string, std::string>& environment = {});

// The `tunely` command started in the background, for a test that acts on it while it runs
// (sends it a signal). Killed at the end of the test if it is still running.
class RunningTunely {
 public:
  RunningTunely(const std::vector<std::string>& args, const std::string& workFolder,
                const std::map<std::string, std::string>& environment = {});
  ~RunningTunely();
  RunningTunely(const RunningTunely&) = delete;
  RunningTunely& operator=(const RunningTunely&) = delete;

  bool started() const { return pid_ > 0; }
  // Waits up to `seconds` for `text` in its output; false if it did not come.
  bool waitForOutput(const std::string& text, double seconds);
  void signal(int number);
  // Waits up to `seconds` for it to end, then kills it: the exit status, or -1 if it did not
  // exit by itself.
  CommandResult wait(double seconds);
  std::string output() const;

 private:
  int pid_ = 0;
  std::string log_;
};

// A deterministic test signal with bass and treble: a 55 Hz and a 1 kHz sine plus a little
// noise, different in each channel, starting away from zero.
host::DecodedAudio testSignal(double sampleRate, int channels, double seconds, unsigned seed = 1);
void writeFloatWav(const std::string& path, const host::DecodedAudio& audio);

// The first frame of the first block that starts at or after `seconds` of media time, with the
// clock advanced block by block as the player does (the last block of a track is short): where
// a timer or a script step due at that time takes effect.
int64_t firstBlockAtOrAfter(double seconds, const std::vector<host::DecodedAudio>& tracks,
                            int64_t blockFrames);
host::DecodedAudio readWav(const std::string& path);

// Writes the last-state file of a device root with the seven settings as strings.
void writeLastState(const std::string& deviceRoot,
                    const std::map<std::string, std::string>& values);
std::string lastStatePath(const std::string& deviceRoot);

}  // namespace tunely_test
