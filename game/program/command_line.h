// The program's command line: what zornack can be asked to do before the
// game starts, and its help text.
#pragma once

#include <string>
#include <vector>

struct TCommandLine {
  bool Help = false;      // -h, --help: print the usage and end
  bool Version = false;   // --version: print the version and end
  bool Paths = false;     // --paths: print the data and user folders and end
  bool BusyWait = false;  // --busy-wait: pace the frames with the designed busy loop
  int Scale = 0;          // --scale N: the window's scale, 1-8; 0 chooses the largest that fits
  std::string Replay;     // --replay FILE: watch a replay instead of playing
  int Speed = 1;          // --speed N: watch it N times as fast, 1-8
  bool Verify = false;    // --verify: replay it without a window and compare its results
  std::string Trace;      // --trace OUT: one line per frame of the games played or replayed
};

// What --help prints.
extern const char kUsage[];

// Reads ARGS (without the program's name) into OUT. Returns false with
// ERROR set to one line saying what is wrong.
bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& out, std::string& error);

// The program's version, from the project's one version number.
extern const char kVersion[];
