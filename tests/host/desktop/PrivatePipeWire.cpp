#include "PrivatePipeWire.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tunely_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string findInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) return folder + "/" + name;
  return {};
}

pid_t spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra,
            const std::string& log) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (const size_t eq = entry.find('='); eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : extra) env[key] = value;
  std::vector<std::string> envStrings;
  for (const auto& [key, value] : env) envStrings.push_back(key + "=" + value);
  std::vector<char*> envp, argv;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings = args;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits up to `seconds` for `pid` to exit; its status, or -1 (and it is killed) if it did not.
int waitFor(pid_t pid, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(20ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string configuration(int rate) {
  std::ostringstream c;
  c << "context.properties = { default.clock.rate = " << rate << " default.clock.allowed-rates = [ " << rate
    // One quantum throughout: a client that asks for another latency does not change it mid-test.
    << " ] default.clock.quantum = 1024 default.clock.min-quantum = 1024 default.clock.max-quantum = 1024"
    << " core.daemon = true core.name = pipewire-0 mem.allow-mlock = false log.level = 1 }\n"
    << "context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert support.* = support/libspa-support }\n"
    // Without the access module every client waits for permissions that never come.
    << "context.modules = [ { name = libpipewire-module-protocol-native } { name = libpipewire-module-metadata }\n"
    << "  { name = libpipewire-module-spa-node-factory } { name = libpipewire-module-client-node }\n"
    << "  { name = libpipewire-module-adapter } { name = libpipewire-module-link-factory }\n"
    << "  { name = libpipewire-module-access } { name = libpipewire-module-session-manager } ]\n"
    << "context.objects = [\n"
    << "  { factory = spa-node-factory args = { factory.name = support.node.driver node.name = Dummy-Driver\n"
    << "    node.group = pipewire.dummy priority.driver = 20000 } }\n"
    << "  { factory = adapter args = { factory.name = support.null-audio-sink node.name = null-sink\n"
    << "    node.description = \"Null Sink\" media.class = Audio/Sink audio.position = [ FL FR ]\n"
    << "    node.driver = true priority.driver = 30000 } } ]\n";
  return c.str();
}

}  // namespace

std::string PrivatePipeWire::missingBinary() {
  for (const char* name : {"pipewire", "wireplumber", "dbus-run-session", "pw-play", "pw-record", "pw-cli"})
    if (findInPath(name).empty()) return name;
  return {};
}

PrivatePipeWire::PrivatePipeWire(const std::string& folder, int rate) : folder_(folder) {
  const std::string runtime = folder + "/runtime", home = folder + "/home";
  fs::create_directories(runtime);
  fs::create_directories(home);
  fs::permissions(runtime, fs::perms::owner_all);
  environment_ = {{"XDG_RUNTIME_DIR", runtime}, {"PIPEWIRE_RUNTIME_DIR", runtime}, {"HOME", home},
                  {"XDG_CONFIG_HOME", home + "/.config"}, {"XDG_STATE_HOME", home + "/.state"},
                  {"PIPEWIRE_REMOTE", "pipewire-0"}};
  std::ofstream(folder + "/pipewire.conf") << configuration(rate);
  daemon_ = spawn({"pipewire", "-c", folder + "/pipewire.conf"}, environment_, folder + "/pipewire.log");
  // The session manager needs a session bus; its pid comes back through a file, so that it is
  // the one stopped and the bus ends with it.
  const std::string pidFile = folder + "/wireplumber.pid";
  bus_ = spawn({"dbus-run-session", "--", "sh", "-c", "echo $$ > '" + pidFile + "'; exec wireplumber"},
               environment_, folder + "/wireplumber.log");
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!sessionManager_) std::ifstream(pidFile) >> sessionManager_;
    const std::string listing = folder + "/nodes.txt";
    fs::remove(listing);
    const pid_t lister = spawn({"pw-cli", "ls", "Node"}, environment_, listing);
    if (lister && waitFor(lister, 5) == 0) {
      std::ifstream in(listing);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (text.find("\"null-sink\"") != std::string::npos && sessionManager_) {
        ready_ = true;
        std::this_thread::sleep_for(500ms);  // WirePlumber sets its defaults up
        break;
      }
    }
    std::this_thread::sleep_for(200ms);
  }
}

PrivatePipeWire::~PrivatePipeWire() {
  if (sessionManager_) kill(sessionManager_, SIGTERM);
  if (bus_) waitFor(bus_, 10);
  stopDaemon();
}

void PrivatePipeWire::stopDaemon() {
  if (!daemon_) return;
  kill(daemon_, SIGTERM);
  waitFor(daemon_, 10);
  daemon_ = 0;
}

int PrivatePipeWire::run(const std::vector<std::string>& args, double timeoutSeconds) const {
  const pid_t pid = spawn(args, environment_, folder_ + "/tools.log");
  return pid ? waitFor(pid, timeoutSeconds) : -1;
}

pid_t PrivatePipeWire::start(const std::vector<std::string>& args) const {
  return spawn(args, environment_, folder_ + "/tools.log");
}

int PrivatePipeWire::finish(pid_t pid) {
  kill(pid, SIGINT);
  return waitFor(pid, 10);
}

}  // namespace tunely_test
