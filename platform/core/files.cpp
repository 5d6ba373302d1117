#include "platform/files.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/exception.h"
#include "platform/faults.h"

namespace platform {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ExecutablePath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::vector<std::string> ReadTextLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EInOutError("cannot open file \"" + path + "\"");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  if (in.bad()) throw EInOutError("cannot read file \"" + path + "\"");
  return lines;
}

namespace {
void WriteLines(const std::string& path, const std::vector<std::string>& lines, const char* mode) {
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (!f) throw EInOutError("cannot create file \"" + path + "\"");
  bool ok = true;
  for (const auto& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), f) == line.size();
    ok = ok && std::fwrite("\r\n", 1, 2, f) == 2;
  }
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) throw EInOutError("cannot write file \"" + path + "\"");
}

std::string Convert(const std::string& text, const char* to, const char* from) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw Exception(std::string("no converter from ") + from + " to " + to);
  std::string out;
  out.resize(text.size() * 2 + 8);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (::iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      const size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      outLeft = out.size() - used;
    } else {
      // A character the target cannot hold, or a broken sequence: skip one
      // byte of input and mark the spot.
      ++in;
      --inLeft;
      if (outLeft == 0) {
        const size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + used;
        outLeft = out.size() - used;
      }
      *dst++ = '?';
      --outLeft;
    }
  }
  out.resize(static_cast<size_t>(dst - out.data()));
  ::iconv_close(cd);
  return out;
}
}  // namespace

// --- replacing a file whole ---------------------------------------------------

namespace {

// A step of the replacement that failed, and why (an errno value).
struct Failure {
  const char* what = nullptr;
  int error = 0;
};

// Runs STEP unless a test injected a fault into CALL; an injected fault
// fails it with EIO, as a failing disk would.
template <typename Step>
bool Do(const char* call, Step step) {
  if (TakeFault(call) != S_OK) {
    errno = EIO;
    return false;
  }
  return step();
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the folder's new entry last. A file system that cannot flush a
// folder (EINVAL) keeps its entries by other means.
int SyncFolder(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return error;
}

[[noreturn]] void Fail(const std::string& path, const Failure& failure) {
  throw EInOutError("cannot " + std::string(failure.what) + " \"" + path + "\": " + std::strerror(failure.error));
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, const void* data, std::size_t size) {
  const std::string temporary = path + ".tmp";
  // What an interrupted replacement left is ours to remove; a directory
  // someone put there is not, and makes the creation below fail.
  struct stat st {};
  if (::lstat(temporary.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(temporary.c_str());
  // O_EXCL: a link planted under the name after the removal is not followed.
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) Fail(path, {"create", errno});
  Failure failure;
  if (!Do("write", [&] { return WriteAll(fd, data, size); })) {
    failure = {"write", errno};
  } else if (!Do("fsync", [&] { return ::fsync(fd) == 0; })) {
    failure = {"write", errno};
  }
  if (::close(fd) != 0 && !failure.what) failure = {"write", errno};
  if (!failure.what && !Do("rename", [&] { return ::rename(temporary.c_str(), path.c_str()) == 0; }))
    failure = {"replace", errno};
  if (failure.what) {
    ::unlink(temporary.c_str());
    Fail(path, failure);
  }
  if (const int error = SyncFolder(path)) Fail(path, {"flush the folder of", error});
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) { WriteLines(path, lines, "wb"); }

void WriteTextLine(const std::string& path, const std::string& line, bool truncate) {
  WriteLines(path, {line}, truncate ? "wb" : "ab");
}

std::string Utf8ToCp932(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8"); }
std::string Cp932ToUtf8(const std::string& cp932) { return Convert(cp932, "UTF-8", "CP932"); }

}  // namespace platform
