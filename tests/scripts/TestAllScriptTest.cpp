// scripts/test-all.sh, run in a copy of its folder layout with stand-ins for cmake, ctest and
// the fuzz targets: every stage runs whatever failed before it, the closing line counts every
// failure (a suite that does not build and a fuzz target that crashes included), the exit status
// says whether anything failed, and a target's fuzz/<name>.options reach its command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "CommandHarness.h"

namespace {

namespace fs = std::filesystem;
using tunely_test::TempFolder;

void writeExecutable(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << text;
  chmod(path.c_str(), 0755);
}

// What ctest says for one suite: its closing lines and its exit status.
struct SuiteResult {
  std::string output;
  int status = 0;
};

SuiteResult passes(int tests) {
  return {"100% tests passed, 0 tests failed out of " + std::to_string(tests) + "\n", 0};
}

class TestAllScriptTest : public ::testing::Test {
 protected:
  TestAllScriptTest() {
    // The script works in the folder above its own: a project of stand-ins.
    fs::create_directories(project("scripts"));
    fs::copy_file(std::string(TUNELY_SOURCE_DIR) + "/scripts/test-all.sh", project("scripts/test-all.sh"));
    fs::create_directories(project("tests"));
    fs::create_directories(project("fuzz/corpus/alpha"));
    std::ofstream(project("fuzz/corpus/alpha/seed")) << "seed";
    writeExecutable(tools("cmake"), R"SH(#!/bin/bash
# configure: -S . -B build/NAME ...; build: --build build/NAME -j N
if [ "$1" = --build ]; then
  echo "build ${2#build/}" >>"$STANDIN_LOG"
  [ -e "$STANDIN_DIR/broken-${2#build/}" ] && { echo "error: does not compile" >&2; exit 2; }
  exit 0
fi
while [ "$1" != -B ]; do shift; done
mkdir -p "$2"
echo "configure ${2#build/}" >>"$STANDIN_LOG"
)SH");
    writeExecutable(tools("ctest"), R"SH(#!/bin/bash
suite=${PWD##*/}
echo "ctest $suite" >>"$STANDIN_LOG"
cat "$STANDIN_DIR/ctest-$suite.out"
exit "$(cat "$STANDIN_DIR/ctest-$suite.status")"
)SH");
    writeExecutable(project("scripts/package-check.sh"), R"SH(#!/bin/bash
echo "package $1" >>"$STANDIN_LOG"
[ ! -e "$STANDIN_DIR/broken-package" ]
)SH");
    // Fuzz targets as the fuzz build leaves them.
    const std::string target = R"SH(#!/bin/bash
echo "fuzz NAME $*" >>"$STANDIN_LOG"
[ -e "$STANDIN_DIR/crash-NAME" ] && { echo "==1==ERROR: AddressSanitizer: heap-buffer-overflow"; exit 77; }
echo "Done 20000 runs in 3 second(s)"
)SH";
    for (const std::string name : {"alpha", "beta"}) {
      std::string text = target;
      for (size_t at; (at = text.find("NAME")) != std::string::npos;) text.replace(at, 4, name);
      writeExecutable(project("build/fuzz/fuzz_" + name), text);
    }
    suite("plain", passes(5));
    suite("asan", passes(5));
    suite("tsan", passes(5));
  }

  std::string project(const std::string& path) const { return temp_.file("project/" + path); }
  std::string tools(const std::string& name) const { return temp_.file("tools/" + name); }
  std::string standIn(const std::string& name) const { return temp_.file(name); }

  void suite(const std::string& name, const SuiteResult& result) {
    std::ofstream(standIn("ctest-" + name + ".out")) << result.output;
    std::ofstream(standIn("ctest-" + name + ".status")) << result.status;
  }
  void breakBuild(const std::string& name) { std::ofstream(standIn("broken-" + name)); }
  void crashFuzzTarget(const std::string& name) { std::ofstream(standIn("crash-" + name)); }

  // Runs the script; its output and what the stand-ins were asked to do.
  int run(std::string& output, std::string& calls) {
    const std::string command = "STANDIN_DIR='" + temp_.path() + "' STANDIN_LOG='" +
                                standIn("calls") + "' PATH='" + temp_.file("tools") + ":" +
                                std::getenv("PATH") + "' bash '" + project("scripts/test-all.sh") +
                                "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    const int status = pclose(pipe);
    calls = tunely_test::fileContents(standIn("calls"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  TempFolder temp_;
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(TestAllScriptTest, EveryStageRunsAndTheClosingLineCountsEveryFailure) {
  suite("asan", {"Start 1: a\n60% tests passed, 2 tests failed out of 5\n", 8});
  breakBuild("tsan");
  crashFuzzTarget("beta");
  std::string output, calls;
  EXPECT_EQ(run(output, calls), 1) << output;
  // plain 5, asan 3 of 5, tsan not built (one failure), the package, fuzz alpha passes and beta
  // crashes.
  EXPECT_TRUE(has(output, "\ntests: 10 passed, 4 failed\n")) << output;
  EXPECT_TRUE(has(calls, "package build/plain\n")) << calls;
  EXPECT_TRUE(has(calls, "ctest plain\n") && has(calls, "ctest asan\n")) << calls;
  EXPECT_TRUE(has(calls, "build tsan\n")) << calls;
  EXPECT_FALSE(has(calls, "ctest tsan")) << calls;
  EXPECT_TRUE(has(calls, "fuzz alpha ") && has(calls, "fuzz beta ")) << calls;
  EXPECT_TRUE(has(output, "heap-buffer-overflow")) << "a crash is shown" << output;
  for (const std::string what : {"asan: 2 of 5 tests", "tsan: build", "fuzz_beta"})
    EXPECT_TRUE(has(output, "failed: " + what + "\n")) << what << "\n" << output;
}

TEST_F(TestAllScriptTest, AllGreenExitsZeroAndEachTargetGetsItsOptions) {
  std::ofstream(project("fuzz/alpha.options")) << "-max_len=1048576\n\n# a note\n  -use_value_profile=1  \n-only_ascii=1";
  std::ofstream(project("fuzz/alpha.dict")) << "kw=\"x\"\n";
  std::string output, calls;
  EXPECT_EQ(run(output, calls), 0) << output;
  EXPECT_TRUE(has(output, "\ntests: 18 passed, 0 failed\n")) << output;
  std::istringstream lines(calls);
  std::map<std::string, std::string> fuzzArgs;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("fuzz ", 0) == 0) fuzzArgs[line.substr(5, line.find(' ', 5) - 5)] = line;
  ASSERT_EQ(fuzzArgs.size(), 2u) << calls;
  const std::string& alpha = fuzzArgs["alpha"];
  for (const std::string flag : {" -runs=20000 ", " -dict=fuzz/alpha.dict ", " -max_len=1048576 ",
                                 " -use_value_profile=1 ", " -only_ascii=1 "})
    EXPECT_TRUE(has(alpha + " ", flag)) << flag << " in " << alpha;
  EXPECT_FALSE(has(alpha, "note")) << alpha;
  EXPECT_FALSE(has(fuzzArgs["beta"], "max_len")) << fuzzArgs["beta"];
}

TEST_F(TestAllScriptTest, ASuiteWhoseCtestCountsNothingFails) {
  suite("plain", {"No tests were found!!!\n", 8});
  suite("tsan", {"Errors while running CTest\n100% tests passed, 0 tests failed out of 5\n", 1});
  std::string output, calls;
  EXPECT_EQ(run(output, calls), 1) << output;
  // asan 5 and tsan 5 passed, the package and the two fuzz targets too; plain counted nothing,
  // tsan's ctest failed.
  EXPECT_TRUE(has(output, "\ntests: 13 passed, 2 failed\n")) << output;
}

TEST_F(TestAllScriptTest, ThePackageIsCheckedOnlyFromAPlainBuildAndItsFailureCounts) {
  std::ofstream(standIn("broken-package"));
  std::string output, calls;
  EXPECT_EQ(run(output, calls), 1) << output;
  EXPECT_TRUE(has(output, "failed: Debian package\n")) << output;
  EXPECT_TRUE(has(output, "\ntests: 17 passed, 1 failed\n")) << output;

  breakBuild("plain");
  std::string brokenOutput, brokenCalls;
  EXPECT_EQ(run(brokenOutput, brokenCalls), 1) << brokenOutput;
  EXPECT_FALSE(has(brokenCalls.substr(calls.size()), "package ")) << brokenCalls;
  EXPECT_TRUE(has(brokenOutput, "\ntests: 12 passed, 1 failed\n")) << brokenOutput;
}
