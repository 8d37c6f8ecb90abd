// Runs code in a child process that sees a folder read-only, as on a read-only mount, even when
// the tests run as root (to whom a folder's permission bits forbid nothing).
#pragma once

#include <functional>
#include <string>

namespace tunely_test {

struct ReadOnlyRun {
  bool unavailable = false;  // this machine cannot make a read-only view; `result` says why
  bool died = false;         // the child did not return (an uncaught exception, a crash)
  std::string result;        // what the body returned, or what went wrong
};

// Forks; the child enters a mount namespace of its own where `folder` is bind-mounted read-only,
// runs `body` and hands its text back. Nothing the child does touches the parent's view.
ReadOnlyRun runWithReadOnlyFolder(const std::string& folder, const std::function<std::string()>& body);

}  // namespace tunely_test
