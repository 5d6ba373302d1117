#include "game/program/command_line.h"

#include <charconv>

const char kVersion[] = ZORNACK_VERSION;

const char kUsage[] =
    "usage: zornack [OPTION]...\n"
    "A single-player arcade shooter: fly over fields of coloured blocks and shoot them apart.\n"
    "\n"
    "  --busy-wait   pace the frames with a busy loop instead of sleeping (keeps a core busy)\n"
    "  --scale N     open the window N times the game's size, 1-8 (default: the largest that fits)\n"
    "  --replay FILE watch a replay in the window (Escape ends it)\n"
    "  --speed N     watch it N times as fast, 1-8\n"
    "  --verify      with --replay: replay it without a window and compare its results\n"
    "                (status 0 when they match, 1 when not, 2 for a file it cannot read)\n"
    "  --trace OUT   write one line per frame of the replay, or of every game played, to OUT\n"
    "  --paths       print the data folder and the user folder, then end\n"
    "  --version     print the version, then end\n"
    "  -h, --help    print this help, then end\n"
    "\n"
    "The sheets and waves are read from the data folder; ranking.txt and the replays of the last\n"
    "and the best games (replays/) are kept in the user folder;\n"
    "ZORNACK_DATA_DIR and ZORNACK_USER_DIR choose other folders.\n";

namespace {

// A whole number from 1 to 8 (a scale, a speed).
bool ParseOneToEight(const std::string& text, int& number) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 1 || value > 8) return false;
  number = value;
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& out, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      out.Help = true;
    } else if (arg == "--version") {
      out.Version = true;
    } else if (arg == "--paths") {
      out.Paths = true;
    } else if (arg == "--busy-wait") {
      out.BusyWait = true;
    } else if (arg == "--verify") {
      out.Verify = true;
    } else if (const std::string name = arg.substr(0, arg.find('='));
               name == "--scale" || name == "--speed" || name == "--replay" || name == "--trace") {
      const bool joined = arg != name;
      if (!joined && i + 1 == args.size()) {
        error = name + (name == "--scale" || name == "--speed" ? " needs a number" : " needs a file");
        return false;
      }
      const std::string value = joined ? arg.substr(name.size() + 1) : args[++i];
      if (name == "--replay" || name == "--trace") {
        (name == "--replay" ? out.Replay : out.Trace) = value;
      } else if (!ParseOneToEight(value, name == "--scale" ? out.Scale : out.Speed)) {
        error = name + " takes a whole number from 1 to 8, not \"" + value + "\"";
        return false;
      }
    } else if (arg.starts_with("-")) {
      error = "unknown option " + arg;
      return false;
    } else {
      error = "unexpected argument \"" + arg + "\"";
      return false;
    }
  }
  if (out.Replay.empty() && (out.Verify || out.Speed != 1)) {
    error = "--verify and --speed need --replay FILE";
    return false;
  }
  if (out.Replay.empty() && (out.Verify || out.Speed != 1)) {
    error = "--verify and --speed need --replay FILE";
    return false;
  }
  return true;
}
