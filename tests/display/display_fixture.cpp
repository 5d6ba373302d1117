#include "tests/display/display_fixture.h"

#include <algorithm>
#include <fstream>

#include "platform/files.h"

namespace brin::testing {

std::vector<std::string> DisplayTest::LogLines() const {
  std::vector<std::string> lines;
  const auto path = logDir / "brin.debug";
  if (!std::filesystem::exists(path)) return lines;
  for (const auto& raw : platform::ReadTextLines(path.string())) {
    std::string line = platform::Cp932ToUtf8(raw);
    const auto dots = line.find(" ... ");
    lines.push_back(dots == std::string::npos ? line : line.substr(dots + 5));
  }
  return lines;
}

std::vector<std::string> DisplayTest::NewLogLines() {
  auto lines = LogLines();
  std::vector<std::string> fresh(lines.begin() + static_cast<long>(std::min(linesSeen, lines.size())), lines.end());
  linesSeen = lines.size();
  return fresh;
}

bool DisplayTest::Logged(const std::string& text) const {
  const auto lines = LogLines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

}  // namespace brin::testing
