// File-system helpers the library and the game use.
#pragma once

#include <string>
#include <vector>

namespace platform {

bool FileExists(const std::string& path);
// Folder of the running executable, ending with '/'.
std::string ExecutableFolder();
// The running executable's full path.
std::string ExecutablePath();

// Reads a text file as lines (CR LF or LF endings stripped). Throws
// EInOutError when it cannot be opened or read.
std::vector<std::string> ReadTextLines(const std::string& path);
// Writes LINES each ended by CR LF, replacing the file. Throws EInOutError.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);
// Appends one line ended by CR LF (creating the file when TRUNCATE is set or
// it does not exist). Throws EInOutError.
void WriteTextLine(const std::string& path, const std::string& line, bool truncate);

// UTF-8 to code page 932 (Windows-31J). Characters it cannot hold become '?'.
std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace platform
