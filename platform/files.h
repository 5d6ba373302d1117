// File-system helpers the library and the game use.
#pragma once

#include <cstddef>
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

// Puts SIZE bytes from DATA under PATH so that an interruption at any
// moment (a crash, a power cut) leaves either the old file or the new one,
// whole, never an empty or partial file. The bytes go to a new file beside
// PATH (a file or link left there by an interrupted write is removed, never
// followed), which is flushed to the disk and only then renamed over PATH;
// the folder is flushed after the rename, so that the new name lasts too.
// On failure PATH keeps what it held (unless only the folder's flush failed:
// the new file is then in place but may not survive a power cut), nothing
// is left beside it, and EInOutError is thrown whose message names PATH and
// the reason. Fault injection: "write", "fsync" and "rename" (the new file's
// steps) can be made to fail.
void ReplaceFileAtomically(const std::string& path, const void* data, std::size_t size);

// UTF-8 to code page 932 (Windows-31J). Characters it cannot hold become '?'.
std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace platform
