// Zornack: the program. It reads its command line, finds its data and user
// folders, and shows the game's window on the SDL back end until the game
// ends; or it plays a replay, in the window or (--verify) without one.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/main_form.h"
#include "game/program/command_line.h"
#include "game/program/folders.h"
#include "game/replay.h"
#include "platform/program.h"

namespace {

int Play(const TCommandLine& options) {
  const TGameFolders folders = ResolveFolders(TFolderEnvironment::FromProcess());
  if (options.Paths) {
    std::printf("data: %s\nuser: %s\n", folders.Data.c_str(), folders.User.c_str());
    return 0;
  }
  // The files named on the command line are opened before the program
  // enters the user folder: their names are the player's, relative to here.
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

  // The game opens ranking.txt by name: the user folder becomes the current
  // folder.
  std::string problem;
  if (!PrepareUserFolder(folders, problem)) {
    std::fprintf(stderr, "zornack: warning: %s; the ranking may not be kept\n", problem.c_str());
  }
  if (::chdir(folders.User.c_str()) != 0) {
    std::fprintf(stderr, "zornack: warning: cannot enter the user folder %s; the ranking goes to the current folder\n",
                 folders.User.c_str());
  }

  TZornackSettings settings;
  settings.DataFolder = folders.Data;
  settings.BusyWait = options.BusyWait;
  // Frame-start times for tools/measure_load.
  if (const char* log = std::getenv("ZORNACK_FRAME_LOG")) settings.FrameLogFile = log;
  platform::SdlOptions sdl;
  sdl.controllerMappingFile = folders.User + "gamecontrollerdb.txt";
  sdl.windowScale = options.Scale;
  return platform::RunProgramWith("zornack", sdl, [&](TApplication& app) {
    app.CreateForm(Form1, std::move(settings));
    if (options.Replay.empty()) {
      Form1->Recorder.Trace = trace.get();
    } else if (!Form1->WatchReplay(replay, options.Speed, trace.get(), reason)) {
      throw Exception(options.Replay + ": " + reason);
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  return platform::GuardedMain("zornack", [&] {
    TCommandLine options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
      return platform::CommandLineError("zornack", error, kUsage);
    }
    if (options.Help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (options.Version) {
      std::printf("zornack %s\n", kVersion);
      return 0;
    }
    // No window, no sound device, no waiting.
    if (options.Verify) return VerifyReplayCommand(options.Replay, options.Trace, stdout, stderr);
    return Play(options);
  });
}
