// The archive reader on hand-built archives: lookup, the documented edge
// cases and every rejection with its message.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "archive_test_util.h"
#include "platform/files.h"

namespace archive_test {
namespace {

using namespace std::string_literals;

const std::string kNotArchive = "Brindlewick Archiveの扱えるデータではありません";
std::string NotFound(const std::string& id) { return "アーカイブ内には指定されたID '" + id + "' を持つデータが見つかりません"; }

TEST(ArchiveLookup, FindsStoredItemsIgnoringLetterCaseFromAnyStartPosition) {
  const Bytes archive = MakeArchive(0, {{"Hello.BMP", B("abc")}, {"second", B("xyz")}, {"empty", {}}});
  EXPECT_EQ(Read(archive, "hello.bmp"), B("abc"));
  EXPECT_EQ(Read(archive, "SECOND"), B("xyz"));
  EXPECT_EQ(Read(archive, "Empty"), Bytes{});
  platform::MemoryStream source(archive);
  source.SetPosition(100);
  EXPECT_EQ(brin::ReadArchiveEntry(source, "second")->Bytes(), B("xyz"));
  // Any flag other than 1 means stored.
  EXPECT_EQ(Read(MakeArchive(2, {{"a", B("raw")}}), "a"), B("raw"));
}

TEST(ArchiveLookup, FirstMatchInTableOrderDecidesEvenWithOffsetZero) {
  Bytes archive = MakeArchive(0, {{"a.bmp", B("1")}, {"A.BMP", B("2")}, {"b", B("3")}, {"B", B("4")}});
  EXPECT_EQ(Read(archive, "A.bmp"), B("1"));
  PutLE32(archive, 256 + 268 * 2, 0);  // first "b" now absent: the later "B" is not taken
  EXPECT_EQ(ErrorOf([&] { Read(archive, "b"); }), NotFound("b"));
}

TEST(ArchiveLookup, NoEntriesOrUnknownIDIsNotFound) {
  Bytes archive = MakeArchive(0, {{"x", B("data")}});
  EXPECT_EQ(ErrorOf([&] { Read(archive, "y"); }), NotFound("y"));
  EXPECT_EQ(ErrorOf([&] { Read(archive, "x\0"s); }), NotFound("x\0"s));
  PutLE32(archive, 8, 0);
  EXPECT_EQ(ErrorOf([&] { Read(archive, "x"); }), NotFound("x"));
  PutLE32(archive, 8, 0xFFFFFFFB);  // -5
  EXPECT_EQ(ErrorOf([&] { Read(archive, "x"); }), NotFound("x"));
}

TEST(ArchiveLookup, IDsCompareAsCodePage932) {
  const std::string pic = platform::Utf8ToCp932("画像ア.bmp");
  const std::string fullA = platform::Utf8ToCp932("Ａ");
  const std::string lossy = platform::Utf8ToCp932("😀.bmp");  // question marks
  const Bytes archive = MakeArchive(
      0, {{pic, B("jp")}, {fullA, B("wide")}, {"?.bmp", B("q")}, {lossy, B("?")}, {std::string(256, 'k'), B("long")}});
  EXPECT_EQ(Read(archive, "画像ア.BMP"), B("jp"));
  // ア is 83 41: its trail byte is an 'A' that must not fold to 'a' (ヂ, 83 61).
  EXPECT_EQ(ErrorOf([&] { Read(archive, "画像ヂ.bmp"); }), NotFound("画像ヂ.bmp"));
  // Only ASCII letters fold; double-byte letters compare as they are.
  EXPECT_EQ(Read(archive, "Ａ"), B("wide"));
  EXPECT_EQ(ErrorOf([&] { Read(archive, "ａ"); }), NotFound("ａ"));
  // A character code page 932 lacks must not turn into a '?' that matches.
  EXPECT_EQ(Read(archive, "?.bmp"), B("q"));
  EXPECT_EQ(Read(archive, lossy), B("?"));
  EXPECT_EQ(ErrorOf([&] { Read(archive, "😀.bmp"); }), NotFound("😀.bmp"));
  // An ID filling all 256 bytes has no terminator and still matches.
  EXPECT_EQ(Read(archive, std::string(256, 'K')), B("long"));
  EXPECT_EQ(ErrorOf([&] { Read(archive, std::string(257, 'k')); }), NotFound(std::string(257, 'k')));

  EXPECT_TRUE(brin::SameArchiveID("\x83", "\x83"));  // a lead byte cut off at the end
  EXPECT_FALSE(brin::SameArchiveID("\x83\x41", "\x83\x61"));
  EXPECT_FALSE(brin::SameArchiveID("\xB1", "\xB2"));
  EXPECT_FALSE(brin::SameArchiveID("ab", "abc"));
}

TEST(ArchiveRejects, DataThatIsNotAnArchiveOrIsCutShort) {
  const Bytes good = MakeArchive(0, {{"a", B("1")}, {"b", B("2")}});
  Bytes badMagic = good;
  badMagic[7] = '1';
  for (const Bytes& bytes : {Bytes{}, Bytes(good.begin(), good.begin() + 7), badMagic, Cat({B("BWA0"), Bytes(300, 0)})})
    EXPECT_EQ(ErrorOf([&] { Read(bytes, "a"); }), kNotArchive);
  for (const Bytes& bytes : {Bytes(good.begin(), good.begin() + 100), B("\1\0\0\0BWA0"s)})
    EXPECT_EQ(ErrorOf([&] { Read(bytes, "a"); }), "Brindlewick Archiveのヘッダが途中で切れています");
  EXPECT_EQ(ErrorOf([&] { Read(Bytes(good.begin(), good.begin() + 256 + 268 + 100), "a"); }),
            "Brindlewick Archiveのエントリ表が途中で切れています（エントリ数 2）");
  // A count asking for half a terabyte of table is refused before allocating it.
  Bytes huge = good;
  PutLE32(huge, 8, 0x7FFFFFFF);
  EXPECT_EQ(ErrorOf([&] { Read(huge, "a"); }), "Brindlewick Archiveのエントリ表が途中で切れています（エントリ数 2147483647）");
}

TEST(ArchiveRejects, ItemsOutsideTheFileOrWithNegativeSizes) {
  const Bytes stored = MakeArchive(0, {{"a", B("12345")}});
  const std::size_t row = 256;
  Bytes pastEnd = stored;
  PutLE32(pastEnd, row + 8, 6);
  EXPECT_EQ(ErrorOf([&] { Read(pastEnd, "a"); }),
            "アーカイブ内のID 'a' のデータがファイルの終わりを超えています（位置 524、サイズ 6、ファイルサイズ 529）");
  Bytes farOffset = stored;
  PutLE32(farOffset, row, 0xFFFFFFF0);
  EXPECT_EQ(ErrorOf([&] { Read(farOffset, "a"); }),
            "アーカイブ内のID 'a' のデータがファイルの終わりを超えています（位置 4294967280、サイズ 5、ファイルサイズ 529）");
  Bytes negative = stored;
  PutLE32(negative, row + 8, 0xFFFFFFFF);
  EXPECT_EQ(ErrorOf([&] { Read(negative, "a"); }),
            "アーカイブ内のID 'a' のデータのサイズが不正です（格納サイズ 5、展開後のサイズ -1）");

  Bytes compressed = MakeArchive(1, {{"c", Cat({B("\xFF\x80\xFE"), LE32(2), B("hi")}), 2}});
  EXPECT_EQ(Read(compressed, "C"), B("hi"));
  PutLE32(compressed, row + 4, 0x80000000);
  EXPECT_EQ(ErrorOf([&] { Read(compressed, "c"); }),
            "アーカイブ内のID 'c' のデータのサイズが不正です（格納サイズ -2147483648、展開後のサイズ 2）");
  PutLE32(compressed, row + 4, 10);
  EXPECT_EQ(ErrorOf([&] { Read(compressed, "c"); }),
            "アーカイブ内のID 'c' のデータがファイルの終わりを超えています（位置 524、サイズ 10、ファイルサイズ 533）");
  PutLE32(compressed, row + 4, 9);
  PutLE32(compressed, row + 8, 3);
  EXPECT_EQ(ErrorOf([&] { Read(compressed, "c"); }),
            "アーカイブ内のID 'c' のデータを展開できません: 圧縮データの展開結果が展開後のサイズ 3 バイトに足りません（2 バイト）");
}

int OpenFileCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST(ExtractFromArchive, ReadsTheFileAndClosesItWhateverHappens) {
  const auto path = std::filesystem::temp_directory_path() / ("bwarc_extract_" + std::to_string(::getpid()) + ".bwa");
  const Bytes archive = MakeArchive(0, {{"cg1.bmp", B("BMdata")}});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));

  const int before = OpenFileCount();
  EXPECT_EQ(brin::ExtractFromArchive(path, "CG1.BMP")->Bytes(), B("BMdata"));
  EXPECT_EQ(ErrorOf([&] { brin::ExtractFromArchive(path, "cg2.bmp"); }), NotFound("cg2.bmp"));
  EXPECT_EQ(OpenFileCount(), before);
  // An archive that cannot be opened raises the platform's file error.
  EXPECT_THROW(brin::ExtractFromArchive(path.string() + ".missing", "cg1.bmp"), platform::EInOutError);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace archive_test
