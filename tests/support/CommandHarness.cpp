#include "CommandHarness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <thread>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/media/AudioFileReader.h"
#include "host/media/WavFileSink.h"

extern char** environ;

namespace tunely_test {

std::string fileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeFileMakingFolders(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "tunely-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

namespace {

// Starts TUNELY_COMMAND with its output (standard output and error) going to `log`; answers its
// process id, or 0.
pid_t spawnTunely(const std::vector<std::string>& args, const std::string& log,
                  const std::map<std::string, std::string>& environment) {
  std::vector<std::string> argStrings{TUNELY_COMMAND};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    const size_t eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : environment) env[key] = value;
  std::vector<std::string> envStrings;
  for (const auto& [key, value] : env) envStrings.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

CommandResult runTunely(const std::vector<std::string>& args, const std::string& workFolder,
                        const std::map<std::string, std::string>& environment) {
  const std::string log = workFolder + "/tunely-output.txt";
  CommandResult result;
  if (const pid_t pid = spawnTunely(args, log, environment)) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  }
  result.output = readText(log);
  return result;
}

RunningTunely::RunningTunely(const std::vector<std::string>& args, const std::string& workFolder,
                             const std::map<std::string, std::string>& environment)
    : log_(workFolder + "/tunely-output.txt") {
  pid_ = spawnTunely(args, log_, environment);
}

RunningTunely::~RunningTunely() {
  if (pid_ > 0) wait(0);
}

bool RunningTunely::waitForOutput(const std::string& text, double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (output().find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void RunningTunely::signal(int number) {
  if (pid_ > 0) kill(pid_, number);
}

CommandResult RunningTunely::wait(double seconds) {
  CommandResult result;
  if (pid_ <= 0) return result;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() >= until) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_ = 0;
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  result.output = output();
  return result;
}

std::string RunningTunely::output() const { return readText(log_); }

host::DecodedAudio testSignal(double sampleRate, int channels, double seconds, unsigned seed) {
  host::DecodedAudio a;
  a.sampleRate = sampleRate;
  a.channels = channels;
  a.frames = int64_t(std::llround(seconds * sampleRate));
  a.samples.resize(size_t(a.frames) * size_t(channels));
  uint32_t noise = seed;
  for (int64_t i = 0; i < a.frames; ++i) {
    const double t = double(i) / sampleRate;
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double n = (double(noise >> 8) / double(1u << 24) - 0.5) * 0.02;
      const double phase = 0.4 + 0.3 * c;
      a.samples[size_t(i) * size_t(channels) + size_t(c)] =
          float(0.35 * std::sin(2 * M_PI * 55.0 * t + phase) +
                0.15 * std::sin(2 * M_PI * 1000.0 * t + phase) + n);
    }
  }
  return a;
}

void writeFloatWav(const std::string& path, const host::DecodedAudio& audio) {
  host::WavFileSink sink;
  std::string error;
  ASSERT_TRUE(sink.open(path, audio.sampleRate, audio.channels, error)) << error;
  ASSERT_TRUE(sink.write(audio.samples.data(), audio.frames, error)) << error;
}

int64_t firstBlockAtOrAfter(double seconds, const std::vector<host::DecodedAudio>& tracks,
                            int64_t blockFrames) {
  double clock = 0;
  int64_t frame = 0;
  for (const host::DecodedAudio& t : tracks) {
    for (int64_t left = t.frames; left > 0;) {
      if (clock >= seconds) return frame;
      const int64_t n = std::min(blockFrames, left);
      clock += double(n) / t.sampleRate;
      frame += n;
      left -= n;
    }
  }
  return frame;
}

host::DecodedAudio readWav(const std::string& path) {
  host::Outcome<host::DecodedAudio> audio = host::decodeAudioFile(path);
  EXPECT_TRUE(audio) << path << ": " << audio.error;
  return audio ? *audio.value : host::DecodedAudio{};
}

std::string lastStatePath(const std::string& deviceRoot) {
  return deviceRoot + "/var/mobile/Library/Application Support/Tunely/last.plist";
}

void writeLastState(const std::string& deviceRoot,
                    const std::map<std::string, std::string>& values) {
  fs::create_directories(fs::path(lastStatePath(deviceRoot)).parent_path());
  std::ofstream out(lastStatePath(deviceRoot));
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n";
  for (const auto& [key, value] : values)
    out << "\t<key>" << key << "</key>\n\t<string>" << value << "</string>\n";
  out << "</dict>\n</plist>\n";
}

}  // namespace tunely_test
