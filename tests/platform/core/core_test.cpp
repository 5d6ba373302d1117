// The platform core: reference counting, fault injection, streams, pixel
// conversion, text files and the emulated screen's mode.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/backend/headless/headless_backend.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/pixels.h"
#include "platform/stream.h"
#include "platform/system.h"
#include "platform/unknown.h"

namespace platform {
namespace {

struct ITestObject : IUnknown {};
class TestObject : public RefCounted<ITestObject> {
 public:
  explicit TestObject(bool* freed) : freed_(freed) {}
  ~TestObject() override { *freed_ = true; }
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }

 private:
  bool* freed_;
};

TEST(RefCounting, StartsAtOneAndFreesAtZero) {
  bool freed = false;
  const long before = LiveObjectCount();
  auto* object = new TestObject(&freed);
  EXPECT_EQ(LiveObjectCount(), before + 1);
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_FALSE(freed);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_TRUE(freed);
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST(FaultInjection, OnceFailsOnlyTheNextCall) {
  HeadlessBackend backend;
  Install(&backend);
  InjectFault("Test::Call", E_FAIL);
  EXPECT_EQ(TakeFault("Test::Other"), S_OK);
  EXPECT_EQ(TakeFault("Test::Call"), E_FAIL);
  EXPECT_EQ(TakeFault("Test::Call"), S_OK);
  EXPECT_EQ(FaultHits("Test::Call"), 1);
}

TEST(FaultInjection, AlwaysFailsUntilClearedAndInstallClearsAll) {
  HeadlessBackend backend;
  Install(&backend);
  InjectFault("Test::Call", E_OUTOFMEMORY, FaultMode::Always);
  EXPECT_EQ(TakeFault("Test::Call"), E_OUTOFMEMORY);
  EXPECT_EQ(TakeFault("Test::Call"), E_OUTOFMEMORY);
  ClearFault("Test::Call");
  EXPECT_EQ(TakeFault("Test::Call"), S_OK);
  InjectFault("Test::Call", E_FAIL, FaultMode::Always);
  Install(&backend);
  EXPECT_EQ(TakeFault("Test::Call"), S_OK);
}

TEST(MemoryStream, ReadWriteSeekAndGrow) {
  MemoryStream s;
  const char text[] = "abcdef";
  EXPECT_EQ(s.Write(text, 6), 6);
  EXPECT_EQ(s.Size(), 6);
  s.SetPosition(10);  // past the end: reads give nothing, writes grow
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 4), 0);
  s.WriteBuffer("x", 1);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Memory()[6], 0);  // the gap is zero-filled
  s.Seek(-3, SeekOrigin::End);
  EXPECT_EQ(s.Read(buf, 8), 3);
  EXPECT_THROW(s.Seek(-1, SeekOrigin::Begin), EInOutError);
  s.SetPosition(4);
  EXPECT_THROW(s.ReadBuffer(buf, 8), EInOutError);  // short read
}

TEST(FileStream, ReadsAFileAndRefusesWrites) {
  const auto path = std::filesystem::temp_directory_path() / "brin_stream_test.bin";
  WriteTextLines(path.string(), {"one", "two"});
  FileStream f(path.string());
  EXPECT_EQ(f.Size(), 10);
  char buf[16] = {};
  f.Seek(5, SeekOrigin::Begin);
  EXPECT_EQ(f.Read(buf, 16), 5);
  EXPECT_STREQ(buf, "two\r\n");
  EXPECT_EQ(f.Position(), 10);
  EXPECT_THROW(f.Write("a", 1), EInOutError);
  EXPECT_THROW(FileStream("/nonexistent/file"), EInOutError);
  EXPECT_EQ(ReadTextLines(path.string()), (std::vector<std::string>{"one", "two"}));
  std::filesystem::remove(path);
}

TEST(ReplaceFileAtomically, LeavesTheNewFileOrTheOldOneAndNothingBeside) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "brin_replace_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "data.txt").string();
  auto read = [](const fs::path& p) { return ReadTextLines(p.string()); };
  WriteTextLines(path, {"old"});
  // A link planted under the temporary name is removed, not followed.
  WriteTextLines((dir / "elsewhere").string(), {"keep"});
  fs::create_symlink(dir / "elsewhere", path + ".tmp");
  ReplaceFileAtomically(path, "new\r\n", 5);
  EXPECT_EQ(read(path), std::vector<std::string>{"new"});
  EXPECT_EQ(read(dir / "elsewhere"), std::vector<std::string>{"keep"});

  struct Case {
    const char* call;
    const char* message;  // before the file's name
  };
  for (const Case& c : {Case{"write", "cannot write"}, Case{"fsync", "cannot write"}, Case{"rename", "cannot replace"}}) {
    SCOPED_TRACE(c.call);
    InjectFault(c.call, E_FAIL);
    try {
      ReplaceFileAtomically(path, "newer\r\n", 7);
      ADD_FAILURE() << "no failure reported";
    } catch (const EInOutError& e) {
      EXPECT_EQ(std::string(e.what()), std::string(c.message) + " \"" + path + "\": " + std::strerror(EIO));
    }
    EXPECT_EQ(read(path), std::vector<std::string>{"new"});
    EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".tmp")));
  }
  const std::string lost = (dir / "missing" / "data.txt").string();
  EXPECT_THROW(ReplaceFileAtomically(lost, "x", 1), EInOutError);
  ClearFaults();
  fs::remove_all(dir);
}

TEST(TextConversion, Cp932RoundTripOfJapaneseText) {
  const std::string utf8 = "サーフェスを作れませんでした";
  const std::string sjis = Utf8ToCp932(utf8);
  EXPECT_EQ(sjis.size(), 2 * 14u);  // every character is double-byte
  EXPECT_EQ(static_cast<unsigned char>(sjis[0]), 0x83);  // "サ" is 0x83 0x54
  EXPECT_EQ(static_cast<unsigned char>(sjis[1]), 0x54);
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
  EXPECT_EQ(Utf8ToCp932("abc"), "abc");
}

TEST(Pixels, PackAndUnpackEveryFormat) {
  EXPECT_EQ(PackColor(PixelFormat::Rgb565(), 255, 255, 255), 0xFFFFu);
  EXPECT_EQ(PackColor(PixelFormat::Rgb555(), 255, 255, 255), 0x7FFFu);
  EXPECT_EQ(PackColor(PixelFormat::Xrgb8888(), 0x12, 0x34, 0x56), 0x123456u);
  EXPECT_EQ(PackColor(PixelFormat::Argb8888(), 0x12, 0x34, 0x56, 0x80), 0x80123456u);
  EXPECT_EQ(PackColor(PixelFormat::Rgb565(), 0x08, 0x04, 0x08), 0x0821u);
  // Every 16-bit value survives unpack-then-pack.
  for (const auto& format : {PixelFormat::Rgb565(), PixelFormat::Rgb555()}) {
    for (std::uint32_t v = 0; v < 0x10000; v += 7) {
      const std::uint32_t value = v & (format.redMask | format.greenMask | format.blueMask);
      std::uint8_t r, g, b;
      UnpackColor(format, value, r, g, b);
      ASSERT_EQ(PackColor(format, r, g, b), value) << std::hex << value;
    }
  }
  std::uint8_t r, g, b;
  UnpackColor(PixelFormat::Rgb565(), 0xF800, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
}

TEST(Pixels, ReadWriteAt24BitsAndNearestPaletteEntry) {
  std::uint8_t memory[12] = {};
  PixelView view{memory, 12, 4, 1, PixelFormat::Rgb888(), nullptr};
  WritePixel(view, 3, 0, 0xABCDEF);
  EXPECT_EQ(memory[9], 0xEF);
  EXPECT_EQ(memory[11], 0xAB);
  EXPECT_EQ(ReadPixel(view, 3, 0), 0xABCDEFu);
  EXPECT_EQ(AlignedPitch(3, 24), 12);
  EXPECT_EQ(AlignedPitch(5, 8), 8);
  PALETTEENTRY palette[3] = {{0, 0, 0, 0}, {250, 10, 10, 0}, {250, 10, 10, 0}};
  EXPECT_EQ(NearestPaletteIndex(palette, 3, 255, 0, 0), 1);  // lowest index wins a tie
  EXPECT_EQ(NearestPaletteIndex(palette, 3, 3, 3, 3), 0);
}

TEST(Screen, ModeFollowsChangesAndRestore) {
  HeadlessBackend backend;
  backend.SetDesktopMode({1280, 1024, 16, 75});
  Install(&backend);
  EXPECT_EQ(CurrentDisplayMode().bitsPerPixel, 16u);
  ASSERT_TRUE(ChangeDisplayMode({640, 480, 8, 0}));
  EXPECT_EQ(CurrentDisplayMode().bitsPerPixel, 8u);
  EXPECT_TRUE(backend.FullScreen());
  RestoreDesktopMode();
  EXPECT_EQ(CurrentDisplayMode().width, 1280u);
  EXPECT_FALSE(backend.FullScreen());
}

TEST(Screen, FocusLossesAreCounted) {
  HeadlessBackend backend;
  Install(&backend);
  EXPECT_TRUE(AppActive());
  SetAppActive(false);
  SetAppActive(false);
  SetAppActive(true);
  EXPECT_EQ(FocusLossCount(), 1u);
}

}  // namespace
}  // namespace platform
