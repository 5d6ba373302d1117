// The multimedia file functions over read-only files: buffered or direct
// reads, seeking, and RIFF chunk descent and ascent.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/faults.h"
#include "platform/mmsystem.h"

namespace {

// Offsets are LONG in the documented API; anything past this cannot be
// reached or reported.
constexpr std::int64_t kMaxOffset = 0x7FFFFFFF;
constexpr std::int64_t kChunkHeader = 8;

class MmioFile {
 public:
  MmioFile(std::FILE* file, std::int64_t size, std::unique_ptr<char[]> buffer, LONG bufferSize)
      : file_(file), size_(size), buffer_(std::move(buffer)), bufferSize_(bufferSize) {}
  ~MmioFile() { std::fclose(file_); }
  MmioFile(const MmioFile&) = delete;
  MmioFile& operator=(const MmioFile&) = delete;

  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return size_; }

  // Reads up to COUNT bytes at the position; returns how many arrived, or -1
  // when the file could not be read.
  std::int64_t Read(char* out, std::int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    count = std::min(count, size_ - position_);
    std::int64_t done = 0;
    if (!buffer_) {
      if (!SeekFile(position_)) return -1;
      done = static_cast<std::int64_t>(std::fread(out, 1, static_cast<size_t>(count), file_));
      filePosition_ += done;
      if (done < count && std::ferror(file_)) return -1;
    } else {
      while (done < count) {
        if (position_ < bufferStart_ || position_ >= bufferStart_ + bufferFill_) {
          if (!Fill()) return done > 0 ? done : -1;
          if (bufferFill_ == 0) break;
        }
        const std::int64_t offset = position_ - bufferStart_;
        const std::int64_t take = std::min(count - done, bufferFill_ - offset);
        std::memcpy(out + done, buffer_.get() + offset, static_cast<size_t>(take));
        done += take;
        position_ += take;
      }
      return done;
    }
    position_ += done;
    return done;
  }

  // Positions past the end are allowed (reads there return 0), as a file
  // handle allows them; positions before the start are not.
  bool Seek(std::int64_t position) {
    if (position < 0 || position > kMaxOffset) return false;
    position_ = position;
    return true;
  }

 private:
  bool SeekFile(std::int64_t position) {
    if (filePosition_ == position) return true;
    if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) return false;
    filePosition_ = position;
    return true;
  }

  bool Fill() {
    bufferStart_ = position_;
    bufferFill_ = 0;
    if (!SeekFile(position_)) return false;
    const size_t want = static_cast<size_t>(std::min<std::int64_t>(bufferSize_, size_ - position_));
    const size_t got = std::fread(buffer_.get(), 1, want, file_);
    filePosition_ += static_cast<std::int64_t>(got);
    if (got < want && std::ferror(file_)) return false;
    bufferFill_ = static_cast<std::int64_t>(got);
    return true;
  }

  std::FILE* file_;
  std::int64_t size_;
  std::unique_ptr<char[]> buffer_;
  LONG bufferSize_;
  std::int64_t position_ = 0;
  std::int64_t filePosition_ = 0;
  std::int64_t bufferStart_ = 0;
  std::int64_t bufferFill_ = 0;
};

// Open handles, so that a stale or made-up handle is refused rather than
// followed. Files are opened a few at a time; a vector is plenty.
std::vector<MmioFile*>& OpenFiles() {
  static std::vector<MmioFile*> files;
  return files;
}

MmioFile* Lookup(HMMIO handle) {
  auto* file = reinterpret_cast<MmioFile*>(handle);
  auto& files = OpenFiles();
  return std::find(files.begin(), files.end(), file) != files.end() ? file : nullptr;
}

MMRESULT OpenError(int error) {
  switch (error) {
    case ENOENT: return MMIOERR_FILENOTFOUND;
    case ENOTDIR: return MMIOERR_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return MMIOERR_ACCESSDENIED;
    case EMFILE:
    case ENFILE: return MMIOERR_TOOMANYOPENFILES;
    default: return MMIOERR_CANNOTOPEN;
  }
}

HMMIO Fail(LPMMIOINFO info, MMRESULT error) {
  if (info) info->wErrorRet = error;
  return nullptr;
}

DWORD LittleEndian(const unsigned char* bytes) {
  return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) | (static_cast<DWORD>(bytes[2]) << 16) |
         (static_cast<DWORD>(bytes[3]) << 24);
}

}  // namespace

HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen) {
  if (pmmioinfo) pmmioinfo->wErrorRet = MMSYSERR_NOERROR;
  if (const HRESULT fault = platform::TakeFault("mmioOpenA")) return Fail(pmmioinfo, static_cast<MMRESULT>(fault));
  constexpr DWORD kKnown = MMIO_RWMODE | MMIO_SHAREMODE | MMIO_CREATE | MMIO_PARSE | MMIO_DELETE | MMIO_EXIST |
                           MMIO_ALLOCBUF | MMIO_GETTEMP;
  if (fdwOpen & ~kKnown) return Fail(pmmioinfo, MMSYSERR_INVALFLAG);
  if ((fdwOpen & MMIO_RWMODE) != MMIO_READ || (fdwOpen & (MMIO_CREATE | MMIO_PARSE | MMIO_DELETE | MMIO_GETTEMP)))
    return Fail(pmmioinfo, MMSYSERR_NOTSUPPORTED);
  if (pmmioinfo) {
    if (pmmioinfo->pIOProc || pmmioinfo->pchBuffer ||
        (pmmioinfo->fccIOProc != 0 && pmmioinfo->fccIOProc != FOURCC_DOS))
      return Fail(pmmioinfo, MMSYSERR_NOTSUPPORTED);
    if (pmmioinfo->cchBuffer < 0) return Fail(pmmioinfo, MMSYSERR_INVALPARAM);
  }
  if (!pszFileName || !*pszFileName) return Fail(pmmioinfo, MMIOERR_FILENOTFOUND);

  struct stat st {};
  if (::stat(pszFileName, &st) != 0) return Fail(pmmioinfo, OpenError(errno));
  if (!S_ISREG(st.st_mode)) return Fail(pmmioinfo, MMIOERR_ACCESSDENIED);
  if (fdwOpen & MMIO_EXIST) return reinterpret_cast<HMMIO>(static_cast<std::uintptr_t>(TRUE));

  std::FILE* file = std::fopen(pszFileName, "rb");
  if (!file) return Fail(pmmioinfo, OpenError(errno));
  // Our own buffer (or none) decides how reads reach the file.
  std::setvbuf(file, nullptr, _IONBF, 0);

  std::unique_ptr<char[]> buffer;
  LONG bufferSize = 0;
  if (fdwOpen & MMIO_ALLOCBUF) {
    bufferSize = pmmioinfo && pmmioinfo->cchBuffer > 0 ? pmmioinfo->cchBuffer : MMIO_DEFAULTBUFFER;
    buffer.reset(new (std::nothrow) char[static_cast<size_t>(bufferSize)]);
    if (!buffer) {
      std::fclose(file);
      return Fail(pmmioinfo, MMIOERR_OUTOFMEMORY);
    }
  }
  const std::int64_t size = std::min<std::int64_t>(st.st_size, kMaxOffset);
  auto* mmio = new (std::nothrow) MmioFile(file, size, std::move(buffer), bufferSize);
  if (!mmio) {
    std::fclose(file);
    return Fail(pmmioinfo, MMIOERR_OUTOFMEMORY);
  }
  OpenFiles().push_back(mmio);
  auto* handle = reinterpret_cast<HMMIO>(mmio);
  if (pmmioinfo) {
    pmmioinfo->hmmio = handle;
    pmmioinfo->cchBuffer = bufferSize;
  }
  return handle;
}

MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT fuClose) {
  if (const HRESULT fault = platform::TakeFault("mmioClose")) return static_cast<MMRESULT>(fault);
  MmioFile* file = Lookup(hmmio);
  if (!file) return MMSYSERR_INVALHANDLE;
  if (fuClose & ~MMIO_FHOPEN) return MMSYSERR_INVALFLAG;
  auto& files = OpenFiles();
  files.erase(std::find(files.begin(), files.end(), file));
  delete file;
  return MMSYSERR_NOERROR;
}

LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
  if (platform::TakeFault("mmioRead")) return -1;
  MmioFile* file = Lookup(hmmio);
  if (!file || cch < 0 || (cch > 0 && !pch)) return -1;
  return static_cast<LONG>(file->Read(pch, cch));
}

LONG WINAPI mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
  if (platform::TakeFault("mmioSeek")) return -1;
  MmioFile* file = Lookup(hmmio);
  if (!file) return -1;
  std::int64_t base = 0;
  switch (iOrigin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = file->Position(); break;
    case SEEK_END: base = file->Size(); break;
    default: return -1;
  }
  if (!file->Seek(base + lOffset)) return -1;
  return static_cast<LONG>(file->Position());
}

MMRESULT WINAPI mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend) {
  if (const HRESULT fault = platform::TakeFault("mmioDescend")) return static_cast<MMRESULT>(fault);
  MmioFile* file = Lookup(hmmio);
  if (!file) return MMSYSERR_INVALHANDLE;
  if (!pmmcki) return MMSYSERR_INVALPARAM;
  if (fuDescend != 0 && fuDescend != MMIO_FINDCHUNK && fuDescend != MMIO_FINDRIFF && fuDescend != MMIO_FINDLIST)
    return MMSYSERR_INVALFLAG;

  const std::int64_t start = file->Position();
  // A parent bounds the search at its declared end, pad byte excluded.
  const std::int64_t end = pmmckiParent ? static_cast<std::int64_t>(pmmckiParent->dwDataOffset) +
                                              static_cast<std::int64_t>(pmmckiParent->cksize)
                                        : kMaxOffset;
  std::int64_t position = start;
  for (;;) {
    unsigned char header[12];
    if (position + kChunkHeader > end || !file->Seek(position) || file->Read(reinterpret_cast<char*>(header), 8) != 8)
      break;
    const FOURCC id = LittleEndian(header);
    const DWORD size = LittleEndian(header + 4);
    const std::int64_t dataOffset = position + kChunkHeader;
    FOURCC type = 0;
    const bool hasType = id == FOURCC_RIFF || id == FOURCC_LIST;
    if (hasType) {
      if (dataOffset + 4 > end || file->Read(reinterpret_cast<char*>(header + 8), 4) != 4) break;
      type = LittleEndian(header + 8);
    }
    bool match = false;
    switch (fuDescend) {
      case 0: match = true; break;
      case MMIO_FINDCHUNK: match = id == pmmcki->ckid; break;
      case MMIO_FINDRIFF: match = id == FOURCC_RIFF && type == pmmcki->fccType; break;
      case MMIO_FINDLIST: match = id == FOURCC_LIST && type == pmmcki->fccType; break;
    }
    if (match) {
      pmmcki->ckid = id;
      pmmcki->cksize = size;
      pmmcki->fccType = type;
      pmmcki->dwDataOffset = static_cast<DWORD>(dataOffset);
      pmmcki->dwFlags = 0;
      return MMSYSERR_NOERROR;
    }
    // The next sibling starts after the data and its pad byte; a size that
    // lies past what an offset can hold ends the search.
    const std::int64_t next = dataOffset + static_cast<std::int64_t>(size) + (size & 1);
    if (next > kMaxOffset) break;
    position = next;
  }
  file->Seek(start);
  return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT WINAPI mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT fuAscend) {
  if (const HRESULT fault = platform::TakeFault("mmioAscend")) return static_cast<MMRESULT>(fault);
  MmioFile* file = Lookup(hmmio);
  if (!file) return MMSYSERR_INVALHANDLE;
  if (!pmmcki) return MMSYSERR_INVALPARAM;
  if (fuAscend != 0) return MMSYSERR_INVALFLAG;
  // Only chunks made for writing are dirty, and nothing is written here.
  if (pmmcki->dwFlags & MMIO_DIRTY) return MMIOERR_CANNOTWRITE;
  const std::int64_t end = static_cast<std::int64_t>(pmmcki->dwDataOffset) + pmmcki->cksize + (pmmcki->cksize & 1);
  if (!file->Seek(end)) return MMIOERR_CANNOTSEEK;
  return MMSYSERR_NOERROR;
}

FOURCC WINAPI mmioStringToFOURCCA(LPCSTR sz, UINT uFlags) {
  char code[4] = {' ', ' ', ' ', ' '};
  if (sz) {
    for (int i = 0; i < 4 && sz[i]; ++i) {
      const char c = sz[i];
      code[i] = (uFlags & MMIO_TOUPPER) ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    }
  }
  return mmioFOURCC(code[0], code[1], code[2], code[3]);
}
