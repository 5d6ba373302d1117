#include "game/program/command_line.h"

#include <charconv>

const char kVersion[] = ZORNACK_VERSION;

const char kUsage[] =
    "usage: zornack [OPTION]...\n"
    "A single-player arcade shooter: fly over fields of coloured blocks and shoot them apart.\n"
    "\n"
    "  --busy-wait   pace the frames with a busy loop instead of sleeping (keeps a core busy)\n"
    "  --scale N     open the window N times the game's size, 1-8 (default: the largest that fits)\n"
    "  --paths       print the data folder and the user folder, then end\n"
    "  --version     print the version, then end\n"
    "  -h, --help    print this help, then end\n"
    "\n"
    "The sheets and waves are read from the data folder, ranking.txt is kept in the user folder;\n"
    "ZORNACK_DATA_DIR and ZORNACK_USER_DIR choose other folders.\n";

namespace {

bool ParseScale(const std::string& text, int& scale) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 1 || value > 8) return false;
  scale = value;
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
    } else if (arg == "--scale" || arg.starts_with("--scale=")) {
      const bool joined = arg != "--scale";
      if (!joined && i + 1 == args.size()) {
        error = "--scale needs a number";
        return false;
      }
      const std::string value = joined ? arg.substr(8) : args[++i];
      if (!ParseScale(value, out.Scale)) {
        error = "--scale takes a whole number from 1 to 8, not \"" + value + "\"";
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
  return true;
}
