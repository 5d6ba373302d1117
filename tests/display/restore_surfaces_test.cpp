// The surface list across losses and mode switches: listed surfaces come
// back with their bitmaps, in the new display format, from where they were
// last loaded; the keepers' lines and numbers; texture keepers and the order
// of the whole-list operations.
#include <memory>

#include "platform/backend/backend.h"
#include "surfaces/surface_keeper.h"
#include "tests/display/bitmap_test_support.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::int32_t kW = 37, kH = 23;  // the committed pictures' size

// ImageMagick's decode of a committed file packed for a 16 or 32-bit
// display, top row first.
std::vector<std::uint32_t> Decoded(const std::string& name, DWORD depth) {
  const auto rgba = ReadFileBytes(BitmapPath(name + ".rgba"));
  std::vector<std::uint32_t> out;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    const std::uint32_t r = rgba[i], g = rgba[i + 1], b = rgba[i + 2];
    out.push_back(depth == 16 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : r << 16 | g << 8 | b);
  }
  return out;
}

// A listed surface that notes each time its bitmap is loaded from a file.
class TNotedSurface : public TBrinSurface {
 public:
  TNotedSurface(TBrin* owner, const char* name) : TBrinSurface(owner, kW, kH, 0), name_(name) {}
  void LoadFromFile(const std::string& file) override {
    Event(std::string(name_) + " loads");
    TBrinSurface::LoadFromFile(file);
  }

 private:
  const char* name_;
};

// A texture as the 3D support makes one: a surface with a TBrinSurface's
// source fields, made by its keeper rather than listed with the display.
class TTestTexture : public TBrinSurface {
 public:
  TTestTexture(TBrin* owner, std::int32_t width, std::int32_t height) : TBrinSurface(owner) {
    Width = width;
    Height = height;
  }
  void LoadFromFile(const std::string& file) override {
    Event("texture loads");
    TBrinSurface::LoadFromFile(file);
  }
};

class TTestTextureKeeper : public TBrinTextureKeeper {
 public:
  using TBrinTextureKeeper::TBrinTextureKeeper;
  void Make() { CreateTexture(); }

 protected:
  void CreateTexture() override {
    Event("texture made");
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(Surface->Width);
    desc.dwHeight = static_cast<DWORD>(Surface->Height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (Owner->DDraw) Owner->DDraw->CreateSurface(&desc, &Surface->DDSurface, nullptr);
    Surface->RefreshDescription();
    Surface->AnalysePixelFormat(Surface->Description.ddpfPixelFormat);
  }
};

class RestoreTest : public DisplayTest {
 protected:
  TBrin* StartAt(DWORD depth) {
    backend.SetDesktopMode({1024, 768, depth, 60});
    platform::Install(&backend);
    return brin = Start();
  }
  void Pump(platform::EventType type) {
    backend.QueueSimple(type);
    app->ProcessMessages();
  }
  TBrin* brin = nullptr;
};

TEST_F(RestoreTest, FocusLostInFullScreenAndRegainedBringsTheBitmapsBack) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0);
  auto blank = std::make_unique<TBrinSurface>(brin, kW, kH, 0);  // never loaded
  sheet->LoadFromFile(BitmapPath("p8_bmp3.bmp"));
  const auto loaded = SurfacePixels(*sheet);
  NewLogLines();

  Pump(platform::EventType::FocusLost);
  ASSERT_TRUE(sheet->IsLost());
  ASSERT_TRUE(blank->IsLost());
  events.clear();
  // The focus coming back is enough: it paints, no expose needed.
  Pump(platform::EventType::FocusGained);
  EXPECT_THAT(events, Contains("OnRestore"));
  EXPECT_FALSE(sheet->IsLost());
  EXPECT_FALSE(blank->IsLost());
  EXPECT_EQ(SurfacePixels(*sheet), loaded);
  // Both are restored; only the loaded one has a picture to load, and a
  // reload is silent when it works.
  EXPECT_THAT(NewLogLines(), ElementsAre("サーフェスを復元します", "サーフェスを復元します"));
}

TEST_F(RestoreTest, RestoreLeavesSurfacesThatWereNotLostAlone) {
  StartAt(32);
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0);
  sheet->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));
  FillSurface(*sheet, 0x00ABCDEF);  // drawn on since: a reload would undo it
  NewLogLines();
  brin->RestoreSurfaces();
  EXPECT_THAT(NewLogLines(), IsEmpty());
  EXPECT_EQ(sheet->GetPixel(5, 5), 0x00ABCDEFu);
}

TEST_F(RestoreTest, SwitchFromSixteenToThirtyTwoBitsReloadsInTheNewFormat) {
  StartAt(16);
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0x1234);
  sheet->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));
  EXPECT_EQ(SurfacePixels(*sheet), Decoded("rgb24_bmp3", 16));

  brin->ChangeToFullScreen(640, 480, 32, 0, "");
  EXPECT_EQ(sheet->RMask, 0x00FF0000u);
  EXPECT_EQ(sheet->MakePixel(255, 255, 255, 255), 0x00FFFFFFu);
  EXPECT_EQ(SurfacePixels(*sheet), Decoded("rgb24_bmp3", 32));
  // The key is the old format's value, kept as it was.
  EXPECT_EQ(sheet->ColorKey, 0x1234u);
  DDCOLORKEY key{};
  sheet->DDSurface->GetColorKey(DDCKEY_SRCBLT, &key);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x1234u);

  brin->ChangeToWindow(640, 480);
  EXPECT_EQ(SurfacePixels(*sheet), Decoded("rgb24_bmp3", 16));
  EXPECT_EQ(sheet->FileName, BitmapPath("rgb24_bmp3.bmp"));
  EXPECT_FALSE(sheet->FromArchive);
}

TEST_F(RestoreTest, ASurfaceLoadedFromAnArchiveReloadsFromTheArchive) {
  StartAt(32);
  const std::string archive = (logDir / "sheets.bwa").string();
  WriteFileBytes(archive, MakeArchive({{"picture", ReadFileBytes(BitmapPath("p8_bmp3.bmp"))}}));
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0);
  sheet->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));
  sheet->LoadFromArchive(archive, "picture");
  const auto fromArchive = SurfacePixels(*sheet);
  ASSERT_NE(fromArchive, Decoded("rgb24_bmp3", 32));
  NewLogLines();

  brin->ChangeToFullScreen(640, 480, 32, 0, "");
  EXPECT_EQ(SurfacePixels(*sheet), fromArchive);
  EXPECT_TRUE(sheet->FromArchive);
  EXPECT_EQ(sheet->ArchiveName, archive);
  EXPECT_EQ(sheet->ArchiveID, "picture");
  EXPECT_THAT(NewLogLines(), Not(Contains("アーカイブからのビットマップの読み取りに失敗しました")));

  // A reload that fails is reported and leaves whatever the memory holds.
  std::filesystem::remove(archive);
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(NewLogLines(), Contains("アーカイブからのビットマップの読み取りに失敗しました"));
}

TEST_F(RestoreTest, KeeperNumbersCloseUpWhenASurfaceIsRemoved) {
  StartAt(32);
  auto first = std::make_unique<TBrinSurface>(brin, 8, 8, 0);
  auto second = std::make_unique<TBrinSurface>(brin, 8, 8, 0);
  auto third = std::make_unique<TBrinSurface>(brin, 8, 8, 0);
  second.reset();
  NewLogLines();
  brin->ChangeToWindow(640, 480);
  std::vector<std::string> keeperLines;
  for (const auto& line : NewLogLines())
    if (line.find("番のサーフェス") != std::string::npos) keeperLines.push_back(line);
  EXPECT_THAT(keeperLines, ElementsAre("DirectDrawオブジェクトの解放に伴い、0番のサーフェスを解放します",
                                       "DirectDrawオブジェクトの解放に伴い、1番のサーフェスを解放します",
                                       "0番のサーフェスを再構築します", "1番のサーフェスを再構築します"));
}

TEST_F(RestoreTest, WithoutVideoMemoryARebuiltSurfaceGoesToSystemMemoryWithItsBitmap) {
  StartAt(32);
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0);
  sheet->LoadFromFile(BitmapPath("p8_bmp3.bmp"));
  DDSCAPS2 caps{};
  sheet->DDSurface->GetCaps(&caps);
  ASSERT_TRUE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
  backend.SetVideoMemoryBytes(640 * 480 * 2 + 100);  // the 8-bit flip chain fits, the sheet no more
  NewLogLines();
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  const auto lines = NewLogLines();
  EXPECT_THAT(lines, Contains("システムメモリにサーフェスを再構築します"));
  sheet->DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
  // The 8-bit file into the 8-bit surface: its indices, bottom row on the
  // bottom row.
  const auto bmp = ReadFileBytes(BitmapPath("p8_bmp3.bmp"));
  EXPECT_EQ(sheet->GetPixel(0, kH - 1), bmp[1078]);
  EXPECT_EQ(sheet->GetPixel(kW - 1, 0), bmp[1078 + 40 * (kH - 1) + kW - 1]);
}

TEST_F(RestoreTest, ARebuildThatCannotMakeTheSurfaceCarriesOnEmpty) {
  StartAt(32);
  auto sheet = std::make_unique<TBrinSurface>(brin, kW, kH, 0);
  sheet->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));
  TBrinSurfaceKeeper* keeper = brin->SurfaceList().front();
  keeper->ReleaseSurface();
  EXPECT_EQ(sheet->DDSurface, nullptr);
  NewLogLines();
  platform::InjectFault("IDirectDraw7::CreateSurface", static_cast<HRESULT>(0x8876017Cu), platform::FaultMode::Always);
  keeper->RebuildSurface();
  platform::ClearFaults();
  EXPECT_THAT(NewLogLines(), ElementsAre("0番のサーフェスを再構築します", "システムメモリにサーフェスを再構築します",
                                         "サーフェスを作れませんでした(Error Code(8876017C))"));
  EXPECT_EQ(sheet->DDSurface, nullptr);
  sheet->LoadFromFile(BitmapPath("rgb24_bmp3.bmp"));  // nothing to load into: a no-op
  keeper->RebuildSurface();
  ASSERT_NE(sheet->DDSurface, nullptr);
  EXPECT_EQ(SurfacePixels(*sheet), Decoded("rgb24_bmp3", 32));
}

TEST_F(RestoreTest, TexturesAreReleasedAndRebuiltFirstAndRestoredLast) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  auto sheet = std::make_unique<TNotedSurface>(brin, "sheet");
  sheet->LoadFromFile(BitmapPath("p8_bmp3.bmp"));
  auto texture = std::make_unique<TTestTexture>(brin, kW, kH);
  auto* keeper = new TTestTextureKeeper(brin, texture.get());
  brin->AddTexture(keeper);
  keeper->Make();
  texture->LoadFromFile(BitmapPath("p8_bmp3.bmp"));
  const auto picture = SurfacePixels(*texture);

  // Restore: lost surfaces first, then every texture, lost or not.
  Pump(platform::EventType::FocusLost);
  FillSurface(*texture, 0);  // system memory: never lost, yet reloaded
  events.clear();
  Pump(platform::EventType::FocusGained);
  EXPECT_THAT(events, ElementsAre("FormPaint", "sheet loads", "texture loads", "OnRestore"));
  EXPECT_EQ(SurfacePixels(*texture), picture);
  NewLogLines();

  // A switch: textures released before surfaces, rebuilt before them.
  events.clear();
  brin->ChangeToWindow(640, 480);
  std::vector<std::string> keeperLines;
  for (const auto& line : NewLogLines())
    if (line.find("番の") != std::string::npos) keeperLines.push_back(line);
  EXPECT_THAT(keeperLines, ElementsAre("DirectDrawオブジェクトの解放に伴い、0番のテクスチャを解放します",
                                       "DirectDrawオブジェクトの解放に伴い、0番のサーフェスを解放します",
                                       "0番のテクスチャを再構築します", "0番のサーフェスを再構築します"));
  EXPECT_THAT(events, ElementsAre("OnCleanUp", "texture made", "texture loads", "sheet loads", "OnChangeDisplayMode"));
  EXPECT_NE(texture->DDSurface, nullptr);

  brin->RemoveTexture(keeper);
}

}  // namespace
}  // namespace brin::testing
