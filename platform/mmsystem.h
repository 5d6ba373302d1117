// The multimedia file functions (buffered RIFF reading) and the wave format
// record, under their documented names and values.
//
// Behaviour callers may rely on:
//
// * Read-only. mmioOpenA opens existing files for reading (MMIO_READ, with or
//   without MMIO_ALLOCBUF and the sharing flags, which change nothing here)
//   and answers MMIO_EXIST. Writing, creating, deleting, parsing, temporary
//   names and custom I/O procedures are refused with MMSYSERR_NOTSUPPORTED in
//   MMIOINFO::wErrorRet. A file that cannot be opened gives NULL and, when an
//   MMIOINFO was passed, MMIOERR_FILENOTFOUND, MMIOERR_PATHNOTFOUND,
//   MMIOERR_ACCESSDENIED or MMIOERR_CANNOTOPEN in wErrorRet.
// * Buffering. MMIO_ALLOCBUF reads through a buffer of MMIOINFO::cchBuffer
//   bytes (MMIO_DEFAULTBUFFER when 0 or no MMIOINFO); without it every
//   mmioRead goes to the file.
// * Chunk search. mmioDescend reads chunk headers from the current position,
//   skipping each non-matching chunk by its declared size plus its pad byte,
//   and with a parent never looks past the parent's declared end. Sizes are
//   believed, never trusted: a header cut short by the end of the file or the
//   parent, or a size that points past 4 GiB, ends the search with
//   MMIOERR_CHUNKNOTFOUND. A failed search puts the file position back where
//   the search began. dwDataOffset of a "RIFF" or "LIST" chunk is the offset
//   of its form type, and the position after the descent is just past it.
// * mmioRead returns the bytes it could read (fewer at the end of the file,
//   0 past it) or -1; mmioAscend moves past the chunk's data and pad byte,
//   also when that lies past the end of the file (reads then return 0).
// * Handles are checked: a handle that is not open gives
//   MMSYSERR_INVALHANDLE (or -1 from mmioRead and mmioSeek).
// * Faults (platform/faults.h) named after each function: the MMRESULT
//   functions return the injected code, mmioRead and mmioSeek return -1 and
//   mmioOpenA returns NULL with the code in wErrorRet.
#pragma once

#include "platform/types.h"

using MMRESULT = UINT;
using FOURCC = DWORD;
using HPSTR = char*;

struct HMMIO__;
using HMMIO = HMMIO__*;

constexpr FOURCC MAKEFOURCC(char ch0, char ch1, char ch2, char ch3) {
  return static_cast<FOURCC>(static_cast<BYTE>(ch0)) | (static_cast<FOURCC>(static_cast<BYTE>(ch1)) << 8) |
         (static_cast<FOURCC>(static_cast<BYTE>(ch2)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(ch3)) << 24);
}
constexpr FOURCC mmioFOURCC(char ch0, char ch1, char ch2, char ch3) { return MAKEFOURCC(ch0, ch1, ch2, ch3); }

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

// --- result codes --------------------------------------------------------------
constexpr MMRESULT MMSYSERR_BASE = 0;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

constexpr MMRESULT MMIOERR_BASE = 256;
constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
constexpr MMRESULT MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;
constexpr MMRESULT MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
constexpr MMRESULT MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;
constexpr MMRESULT MMIOERR_SHARINGVIOLATION = MMIOERR_BASE + 13;
constexpr MMRESULT MMIOERR_NETWORKERROR = MMIOERR_BASE + 14;
constexpr MMRESULT MMIOERR_TOOMANYOPENFILES = MMIOERR_BASE + 15;
constexpr MMRESULT MMIOERR_INVALIDFILE = MMIOERR_BASE + 16;

// --- flags -----------------------------------------------------------------------
constexpr DWORD MMIO_RWMODE = 0x00000003;
constexpr DWORD MMIO_SHAREMODE = 0x00000070;
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_COMPAT = 0x00000000;
constexpr DWORD MMIO_EXCLUSIVE = 0x00000010;
constexpr DWORD MMIO_DENYWRITE = 0x00000020;
constexpr DWORD MMIO_DENYREAD = 0x00000030;
constexpr DWORD MMIO_DENYNONE = 0x00000040;
constexpr DWORD MMIO_CREATE = 0x00001000;
constexpr DWORD MMIO_PARSE = 0x00000100;
constexpr DWORD MMIO_DELETE = 0x00000200;
constexpr DWORD MMIO_EXIST = 0x00004000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr DWORD MMIO_GETTEMP = 0x00020000;
constexpr DWORD MMIO_DIRTY = 0x10000000;  // MMCKINFO::dwFlags: the chunk's size must be written back

constexpr UINT MMIO_FHOPEN = 0x0010;        // mmioClose: leave the file handle open
constexpr UINT MMIO_FINDCHUNK = 0x0010;     // mmioDescend: a chunk with ckid
constexpr UINT MMIO_FINDRIFF = 0x0020;      // a "RIFF" chunk with fccType
constexpr UINT MMIO_FINDLIST = 0x0040;      // a "LIST" chunk with fccType
constexpr UINT MMIO_CREATERIFF = 0x0020;    // mmioCreateChunk (not provided: writing)
constexpr UINT MMIO_CREATELIST = 0x0040;

constexpr LONG MMIO_DEFAULTBUFFER = 8192;

#ifndef SEEK_SET
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
#endif

// --- structures ------------------------------------------------------------------
using LPMMIOPROC = LRESULT(WINAPI*)(LPSTR lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

struct MMIOINFO {
  DWORD dwFlags;
  FOURCC fccIOProc;   // 0 or FOURCC_DOS: a file
  LPMMIOPROC pIOProc;  // must be null
  UINT wErrorRet;     // out: why mmioOpenA returned NULL
  HANDLE htask;
  LONG cchBuffer;     // MMIO_ALLOCBUF buffer size; 0: MMIO_DEFAULTBUFFER
  HPSTR pchBuffer;    // must be null (no caller-supplied buffers)
  HPSTR pchNext;
  HPSTR pchEndRead;
  HPSTR pchEndWrite;
  LONG lBufOffset;
  LONG lDiskOffset;
  DWORD adwInfo[3];
  DWORD dwReserved1;
  DWORD dwReserved2;
  HMMIO hmmio;
};
using LPMMIOINFO = MMIOINFO*;

struct MMCKINFO {
  FOURCC ckid;         // chunk identifier
  DWORD cksize;        // declared size of the chunk's data
  FOURCC fccType;      // form or list type of a "RIFF" or "LIST" chunk
  DWORD dwDataOffset;  // file offset of the data (of the form type for "RIFF"/"LIST")
  DWORD dwFlags;
};
using LPMMCKINFO = MMCKINFO*;
using LPCMMCKINFO = const MMCKINFO*;

// --- wave formats ------------------------------------------------------------------
constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Byte-packed as documented: WAVEFORMATEX is 18 bytes, and a 16-byte PCM "fmt "
// chunk is a PCMWAVEFORMAT.
#pragma pack(push, 1)
struct WAVEFORMAT {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
};
struct PCMWAVEFORMAT {
  WAVEFORMAT wf;
  WORD wBitsPerSample;
};
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;  // bytes of format-specific data after the structure
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMAT) == 14 && sizeof(PCMWAVEFORMAT) == 16 && sizeof(WAVEFORMATEX) == 18,
              "wave format records keep their packed sizes");
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

// --- functions ---------------------------------------------------------------------
HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen);
#define mmioOpen mmioOpenA
MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT fuClose);
LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch);
// Moves the position (SEEK_SET, SEEK_CUR, SEEK_END); returns the new one or -1.
LONG WINAPI mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);
MMRESULT WINAPI mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend);
MMRESULT WINAPI mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT fuAscend);
// Up to four characters, padded with blanks; MMIO_TOUPPER (0x10) upper-cases them.
FOURCC WINAPI mmioStringToFOURCCA(LPCSTR sz, UINT uFlags);
#define mmioStringToFOURCC mmioStringToFOURCCA
constexpr UINT MMIO_TOUPPER = 0x0010;
