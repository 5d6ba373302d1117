// Zornack: the program. It shows its window on the SDL back end and runs
// the main form's message loop until the game ends.
//
//   zornack [--trace OUT]                    play (and trace every game's frames)
//   zornack --replay FILE [--speed N]        watch a replay in the window
//   zornack --replay FILE --verify           replay it without a window, compare its results
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/main_form.h"
#include "game/replay.h"
#include "platform/program.h"

namespace {

constexpr const char* kUsage =
    "usage: zornack [--trace OUT]\n"
    "       zornack --replay FILE [--speed N] [--trace OUT]\n"
    "       zornack --replay FILE --verify [--trace OUT]\n";

struct TOptions {
  std::string Replay;
  std::string Trace;
  int Speed = 1;
  bool Verify = false;
};

// False with PROBLEM set for a command line the program does not take.
bool ParseOptions(int argc, char** argv, TOptions& options, std::string& problem) {
  const auto fail = [&problem](std::string text) {
    problem = std::move(text);
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--verify") {
      options.Verify = true;
    } else if (arg == "--replay" || arg == "--trace") {
      if (!value) return fail(arg + " needs a file");
      (arg == "--replay" ? options.Replay : options.Trace) = value;
      ++i;
    } else if (arg == "--speed") {
      if (!value || value[0] < '1' || value[0] > '8' || value[1] != '\0') {
        return fail("--speed takes a number from 1 to 8");
      }
      options.Speed = value[0] - '0';
      ++i;
    } else {
      return fail("unknown option " + arg);
    }
  }
  if (options.Replay.empty() && (options.Verify || options.Speed != 1)) {
    return fail("--verify and --speed need --replay FILE");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  std::string problem;
  if (!ParseOptions(argc, argv, options, problem)) return platform::CommandLineError("zornack", problem, kUsage);
  if (options.Verify) {
    return platform::GuardedMain(
        "zornack", [&] { return VerifyReplayCommand(options.Replay, options.Trace, stdout, stderr); });
  }
  return platform::GuardedMain("zornack", [&] {
    TReplay replay;
    std::string reason;
    if (!options.Replay.empty() && !LoadReplayFile(options.Replay, replay, reason)) {
      std::fprintf(stderr, "zornack: %s: %s\n", options.Replay.c_str(), reason.c_str());
      return 2;
    }
    std::unique_ptr<TReplayTrace> trace;
    if (!options.Trace.empty()) {
      trace = std::make_unique<TReplayTrace>(options.Trace);
      if (!trace->Ok()) {
        std::fprintf(stderr, "zornack: %s: cannot be written\n", options.Trace.c_str());
        return 2;
      }
    }
    return platform::RunProgramWith("zornack", {}, [&](TApplication& app) {
      app.CreateForm(Form1);
      if (options.Replay.empty()) {
        Form1->Recorder.Trace = trace.get();
      } else if (!Form1->WatchReplay(replay, options.Speed, trace.get(), reason)) {
        throw Exception(options.Replay + ": " + reason);
      }
    });
  });
}
