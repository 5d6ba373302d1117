// The multimedia file functions over hand-built RIFF files: opening, buffered
// and direct reads, chunk search with and without a parent, pad bytes, and
// files whose sizes are cut short or lie.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/mmsystem.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

void Put32(Bytes& out, DWORD value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
void PutId(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

// A chunk with its declared size (the true size unless told otherwise) and
// its pad byte when the data is odd.
Bytes Chunk(const char* id, const Bytes& data, long declared = -1) {
  Bytes out;
  PutId(out, id);
  Put32(out, declared < 0 ? static_cast<DWORD>(data.size()) : static_cast<DWORD>(declared));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0xEE);
  return out;
}
Bytes Form(const char* id, const char* type, const std::vector<Bytes>& children, long declared = -1) {
  Bytes data;
  PutId(data, type);
  for (const Bytes& child : children) data.insert(data.end(), child.begin(), child.end());
  return Chunk(id, data, declared);
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class MmioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("brin_mmio_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    platform::ClearFaults();
  }
  void TearDown() override {
    for (HMMIO h : open_) mmioClose(h, 0);
    platform::ClearFaults();
    fs::remove_all(dir_);
  }
  std::string Write(const Bytes& bytes, const std::string& name = "file.riff") {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  HMMIO Open(const Bytes& bytes, DWORD flags = MMIO_READ | MMIO_ALLOCBUF, LONG bufferSize = 0) {
    std::string path = Write(bytes);
    MMIOINFO info{};
    info.cchBuffer = bufferSize;
    HMMIO h = mmioOpenA(path.data(), &info, flags);
    EXPECT_NE(h, nullptr) << info.wErrorRet;
    if (h) open_.push_back(h);
    return h;
  }
  void Close(HMMIO h) {
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
    open_.erase(std::find(open_.begin(), open_.end(), h));
  }
  std::string ReadText(HMMIO h, LONG count) {
    std::string s(static_cast<size_t>(count), '\0');
    const LONG got = mmioRead(h, s.data(), count);
    s.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return s;
  }

  fs::path dir_;
  std::vector<HMMIO> open_;
};

// A WAVE file with a LIST between "fmt " and "data", odd-sized chunks and a
// nested list, as real files have them.
Bytes NestedWave() {
  return Form("RIFF", "WAVE",
              {Chunk("fmt ", Text("0123456789abcdef")),
               Form("LIST", "INFO", {Chunk("INAM", Text("odd")), Chunk("ICMT", Text("x"))}),
               Chunk("data", Text("samples!"))});
}

TEST(MmioFourcc, CodesAreLittleEndianCharacters) {
  EXPECT_EQ(mmioFOURCC('R', 'I', 'F', 'F'), 0x46464952u);
  EXPECT_EQ(FOURCC_LIST, mmioFOURCC('L', 'I', 'S', 'T'));
  EXPECT_EQ(mmioStringToFOURCCA("fmt", 0), mmioFOURCC('f', 'm', 't', ' '));
  EXPECT_EQ(mmioStringToFOURCCA("wave", MMIO_TOUPPER), mmioFOURCC('W', 'A', 'V', 'E'));
}

TEST_F(MmioTest, OpenFailuresSayWhy) {
  MMIOINFO info{};
  std::string missing = (dir_ / "missing.wav").string();
  EXPECT_EQ(mmioOpenA(missing.data(), &info, MMIO_READ | MMIO_ALLOCBUF), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
  EXPECT_EQ(mmioOpenA(missing.data(), nullptr, MMIO_READ), nullptr);

  std::string notDir = Write(Text("x"), "plain") + "/inside.wav";
  EXPECT_EQ(mmioOpenA(notDir.data(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_PATHNOTFOUND);

  std::string folder = dir_.string();
  EXPECT_EQ(mmioOpenA(folder.data(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_ACCESSDENIED);

  std::string file = Write(Text("RIFF"));
  EXPECT_EQ(mmioOpenA(file.data(), &info, MMIO_WRITE), nullptr);
  EXPECT_EQ(info.wErrorRet, MMSYSERR_NOTSUPPORTED);
  EXPECT_EQ(mmioOpenA(file.data(), &info, MMIO_READ | MMIO_CREATE), nullptr);
  EXPECT_EQ(info.wErrorRet, MMSYSERR_NOTSUPPORTED);
  EXPECT_EQ(mmioOpenA(file.data(), &info, 0x80000000u), nullptr);
  EXPECT_EQ(info.wErrorRet, MMSYSERR_INVALFLAG);
  info = MMIOINFO{};
  info.fccIOProc = FOURCC_MEM;
  EXPECT_EQ(mmioOpenA(file.data(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMSYSERR_NOTSUPPORTED);
  info = MMIOINFO{};
  EXPECT_EQ(mmioOpenA(nullptr, &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);

  // MMIO_EXIST answers without opening anything.
  EXPECT_NE(mmioOpenA(file.data(), nullptr, MMIO_READ | MMIO_EXIST), nullptr);
  EXPECT_EQ(mmioOpenA(missing.data(), nullptr, MMIO_READ | MMIO_EXIST), nullptr);
}

TEST_F(MmioTest, BufferedAndDirectReadsGiveTheSameBytes) {
  Bytes bytes;
  for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<unsigned char>(i * 7));
  for (DWORD flags : {MMIO_READ, MMIO_READ | MMIO_ALLOCBUF}) {
    HMMIO h = Open(bytes, flags, 7);  // a tiny buffer makes reads cross its edge
    std::vector<char> got(1200);
    LONG total = 0;
    for (LONG step : {3, 13, 100, 1}) {
      const LONG n = mmioRead(h, got.data() + total, step);
      ASSERT_EQ(n, step);
      total += n;
    }
    EXPECT_EQ(mmioRead(h, got.data() + total, 2000), 1000 - total);  // cut at the end
    EXPECT_EQ(mmioRead(h, got.data(), 10), 0);                       // and nothing past it
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(static_cast<unsigned char>(got[i]), bytes[i]) << i;

    EXPECT_EQ(mmioSeek(h, 10, SEEK_SET), 10);
    EXPECT_EQ(mmioSeek(h, 5, SEEK_CUR), 15);
    char one = 0;
    EXPECT_EQ(mmioRead(h, &one, 1), 1);
    EXPECT_EQ(static_cast<unsigned char>(one), bytes[15]);
    EXPECT_EQ(mmioSeek(h, -1, SEEK_END), 999);
    EXPECT_EQ(mmioSeek(h, 50, SEEK_END), 1050);  // past the end is a place, reads there are empty
    EXPECT_EQ(mmioRead(h, &one, 1), 0);
    EXPECT_EQ(mmioSeek(h, -2000, SEEK_CUR), -1);
    EXPECT_EQ(mmioSeek(h, 0, 7), -1);
    Close(h);
  }
}

TEST_F(MmioTest, BadHandlesAndArgumentsAreRefused) {
  HMMIO h = Open(NestedWave());
  char c;
  EXPECT_EQ(mmioRead(h, &c, -1), -1);
  EXPECT_EQ(mmioRead(h, nullptr, 4), -1);
  EXPECT_EQ(mmioRead(h, nullptr, 0), 0);
  EXPECT_EQ(mmioDescend(h, nullptr, nullptr, 0), MMSYSERR_INVALPARAM);
  MMCKINFO ck{};
  EXPECT_EQ(mmioDescend(h, &ck, nullptr, MMIO_FINDRIFF | MMIO_FINDCHUNK), MMSYSERR_INVALFLAG);
  EXPECT_EQ(mmioAscend(h, &ck, 1), MMSYSERR_INVALFLAG);
  EXPECT_EQ(mmioClose(h, 0x8000), MMSYSERR_INVALFLAG);
  Close(h);

  // The handle is gone now: every call says so instead of following it.
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(mmioRead(h, &c, 1), -1);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), -1);
  EXPECT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(mmioClose(nullptr, 0), MMSYSERR_INVALHANDLE);
}

TEST_F(MmioTest, WalksNestedChunksSkippingPadBytes) {
  HMMIO h = Open(NestedWave());
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.ckid, FOURCC_RIFF);
  EXPECT_EQ(riff.dwDataOffset, 8u);  // the form type's offset
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12);

  // The "data" chunk lies behind an odd-sized nested list.
  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, 8u);
  EXPECT_EQ(ReadText(h, 100), "samples!");

  // Back to the start of the form and into the list, then into its chunks.
  ASSERT_EQ(mmioSeek(h, 12, SEEK_SET), 12);
  MMCKINFO list{};
  list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
  ASSERT_EQ(mmioDescend(h, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
  EXPECT_EQ(list.ckid, FOURCC_LIST);
  EXPECT_EQ(list.cksize, 4u + 12u + 10u);  // type, "INAM" with its pad, "ICMT" with its pad
  MMCKINFO name{};
  ASSERT_EQ(mmioDescend(h, &name, &list, 0), MMSYSERR_NOERROR);  // the chunk right here
  EXPECT_EQ(name.ckid, mmioFOURCC('I', 'N', 'A', 'M'));
  EXPECT_EQ(name.cksize, 3u);
  ASSERT_EQ(mmioAscend(h, &name, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), static_cast<LONG>(name.dwDataOffset + 4));  // past the pad byte
  MMCKINFO comment{};
  ASSERT_EQ(mmioDescend(h, &comment, &list, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(ReadText(h, 1), "x");
  ASSERT_EQ(mmioAscend(h, &comment, 0), MMSYSERR_NOERROR);

  // The list's end bounds the search: "data" is a sibling of the list, not in it.
  ASSERT_EQ(mmioSeek(h, static_cast<LONG>(list.dwDataOffset + 4), SEEK_SET), static_cast<LONG>(list.dwDataOffset + 4));
  MMCKINFO missing{};
  missing.ckid = mmioFOURCC('d', 'a', 't', 'a');
  EXPECT_EQ(mmioDescend(h, &missing, &list, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), static_cast<LONG>(list.dwDataOffset + 4));  // put back
}

TEST_F(MmioTest, FindsTheRiffFormAmongOthersAndRefusesOtherForms) {
  Bytes file = Chunk("JUNK", Text("abc"));
  const Bytes avi = Form("RIFF", "AVI ", {Chunk("hdrl", Text("h"))});
  file.insert(file.end(), avi.begin(), avi.end());
  HMMIO h = Open(file);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  EXPECT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 0);
  riff.fccType = mmioFOURCC('A', 'V', 'I', ' ');
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.dwDataOffset, 12u + 8u);  // after "JUNK" and its pad byte
}

TEST_F(MmioTest, TruncatedFilesEndTheSearch) {
  const Bytes whole = NestedWave();
  // Cut inside every header and body in turn: the search fails cleanly or
  // finds "data" with its declared size, never reads past the file.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    HMMIO h = Open(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    const MMRESULT found = mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF);
    if (cut < 12) {
      EXPECT_EQ(found, MMIOERR_CHUNKNOTFOUND) << cut;
    } else {
      ASSERT_EQ(found, MMSYSERR_NOERROR) << cut;
      MMCKINFO data{};
      data.ckid = mmioFOURCC('d', 'a', 't', 'a');
      const MMRESULT r = mmioDescend(h, &data, &riff, MMIO_FINDCHUNK);
      const size_t dataHeader = whole.size() - 16;
      EXPECT_EQ(r, cut >= dataHeader + 8 ? MMSYSERR_NOERROR : MMIOERR_CHUNKNOTFOUND) << cut;
      if (r == MMSYSERR_NOERROR) {
        EXPECT_EQ(data.cksize, 8u);
        EXPECT_EQ(ReadText(h, 8).size(), cut - (dataHeader + 8)) << cut;
      }
    }
    Close(h);
  }
}

TEST_F(MmioTest, LyingSizesAreBelievedButNeverFollowedPastTheEnd) {
  // "fmt " claims far more than the form holds; "data" is never reached.
  Bytes file = Form("RIFF", "WAVE", {Chunk("fmt ", Text("0123456789abcdef"), 0x7FFFFF00), Chunk("data", Text("xy"))});
  HMMIO h = Open(file);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO fmt{};
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  ASSERT_EQ(mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(fmt.cksize, 0x7FFFFF00u);
  std::vector<char> big(64);
  EXPECT_EQ(mmioRead(h, big.data(), 64), 16 + 10);  // what the file really holds
  EXPECT_EQ(mmioAscend(h, &fmt, 0), MMSYSERR_NOERROR);  // to a place past the end
  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  EXPECT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);

  // Sizes that point past 4 GiB end the search and the ascent.
  for (DWORD size : {0xFFFFFFFFu, 0xFFFFFFF8u}) {
    Bytes liar = Form("RIFF", "WAVE", {Chunk("fmt ", Text("0123"), size), Chunk("data", Text("xy"))});
    HMMIO l = Open(liar);
    ASSERT_EQ(mmioDescend(l, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioDescend(l, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    ASSERT_EQ(mmioDescend(l, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioAscend(l, &fmt, 0), MMIOERR_CANNOTSEEK);
    Close(l);
  }

  // A form that claims less than it holds hides what lies past its end.
  Bytes shortForm = Form("RIFF", "WAVE", {Chunk("fmt ", Text("0123")), Chunk("data", Text("xy"))}, 4 + 12);
  HMMIO s = Open(shortForm);
  ASSERT_EQ(mmioDescend(s, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioDescend(s, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(MmioTest, DirtyChunksCannotBeWrittenBack) {
  HMMIO h = Open(NestedWave());
  MMCKINFO ck{};
  ASSERT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  ck.dwFlags = MMIO_DIRTY;
  EXPECT_EQ(mmioAscend(h, &ck, 0), MMIOERR_CANNOTWRITE);
}

TEST_F(MmioTest, InjectedFaultsComeBackAsResults) {
  std::string path = Write(NestedWave());
  MMIOINFO info{};
  platform::InjectFault("mmioOpenA", static_cast<HRESULT>(MMIOERR_SHARINGVIOLATION));
  EXPECT_EQ(mmioOpenA(path.data(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_SHARINGVIOLATION);
  EXPECT_EQ(platform::FaultHits("mmioOpenA"), 1);

  HMMIO h = Open(NestedWave());
  MMCKINFO ck{};
  char c;
  platform::InjectFault("mmioDescend", static_cast<HRESULT>(MMIOERR_CANNOTREAD));
  EXPECT_EQ(mmioDescend(h, &ck, nullptr, 0), MMIOERR_CANNOTREAD);
  platform::InjectFault("mmioRead", 1);
  EXPECT_EQ(mmioRead(h, &c, 1), -1);
  platform::InjectFault("mmioSeek", 1);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), -1);
  platform::InjectFault("mmioAscend", static_cast<HRESULT>(MMIOERR_CANNOTSEEK));
  EXPECT_EQ(mmioAscend(h, &ck, 0), MMIOERR_CANNOTSEEK);
  platform::InjectFault("mmioClose", static_cast<HRESULT>(MMIOERR_CANNOTCLOSE));
  EXPECT_EQ(mmioClose(h, 0), MMIOERR_CANNOTCLOSE);
  // The faults were one-shot: everything works again.
  EXPECT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioRead(h, &c, 1), 1);
}

}  // namespace
