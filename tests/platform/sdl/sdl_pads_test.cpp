// Pads on the real SDL back end, read the way the game reads them: through
// the input component, which opens its joysticks once at start. The pads
// are SDL's virtual joysticks; SDL learns three of them through each way it
// takes mappings (its own call, the program's mapping file, the
// SDL_GAMECONTROLLERCONFIG variable), each with another raw layout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/brin_input.h"
#include "platform/backend/sdl/sdl_backend.h"
#include "platform/forms.h"
#include "platform/system.h"
#include "tests/support/allocation_count.h"

namespace platform::sdl {
namespace {

// The controls a test works, named as SDL's mappings name them.
enum Control { South, East, West, North, LeftShoulder, RightShoulder, Back, Start, Up, Down, Left, Right, StickX, StickY };
constexpr const char* kControlNames[] = {"a",    "b",      "x",      "y",       "leftshoulder", "rightshoulder", "back",
                                         "start", "dpup", "dpdown", "dpleft", "dpright", "leftx",        "lefty"};
constexpr int kControls = static_cast<int>(std::size(kControlNames));

// A make of pad: its raw controls and where each control of the layout
// sits among them, in SDL's mapping syntax ("b3" a button, "h0.4" a hat
// direction, "-a4" half an axis, "a0" an axis). Null: no mapping at all.
struct PadKind {
  const char* name;
  Uint16 product;
  int axes, buttons, hats;
  std::array<const char*, kControls> raw;
};

const PadKind kHatPad = {"Hat Pad", 1, 6, 11, 1,
                         {"b0", "b1", "b2", "b3", "b9", "b10", "b4", "b6", "h0.1", "h0.4", "h0.8", "h0.2", "a0", "a1"}};
const PadKind kButtonPad = {"Button Pad", 2, 4, 16, 0,
                            {"b1", "b2", "b0", "b3", "b4", "b5", "b8", "b9", "b12", "b13", "b14", "b15", "a0", "a1"}};
const PadKind kAxisPad = {"Axis Pad", 3, 6, 10, 0,
                          {"b2", "b1", "b3", "b0", "b6", "b7", "b8", "b9", "-a5", "+a5", "-a4", "+a4", "a2", "a3"}};
const PadKind kStick = {"Plain Stick", 4, 3, 6, 1, {}};

SDL_VirtualJoystickDesc Describe(const PadKind& kind) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;  // a game-controller type would bring SDL's own mapping
  desc.naxes = static_cast<Uint16>(kind.axes);
  desc.nbuttons = static_cast<Uint16>(kind.buttons);
  desc.nhats = static_cast<Uint16>(kind.hats);
  desc.vendor_id = 0x5A4B;
  desc.product_id = kind.product;
  desc.name = kind.name;
  return desc;
}

// The GUID SDL gives the kind's virtual device, learnt by plugging one in
// before any back end exists (the mapping file is read at start).
std::string GuidOf(const PadKind& kind) {
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  const SDL_VirtualJoystickDesc desc = Describe(kind);
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  char text[33] = {};
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), text, sizeof(text));
  SDL_JoystickDetachVirtual(index);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  return text;
}

std::string MappingLine(const PadKind& kind) {
  std::string line = GuidOf(kind) + "," + kind.name + ",";
  for (int c = 0; c < kControls; ++c) line += std::string(kControlNames[c]) + ":" + kind.raw[c] + ",";
  return line + "platform:Linux,";
}

class VirtualPad {
 public:
  explicit VirtualPad(const PadKind& kind) : kind_(kind) {
    const SDL_VirtualJoystickDesc desc = Describe(kind);
    joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
  }
  ~VirtualPad() {
    Unplug();
    SDL_JoystickClose(joystick_);
  }
  SDL_Joystick* Joystick() const { return joystick_; }

  // A button or D-pad direction down (VALUE non-zero) or up; a stick axis to VALUE.
  void Set(Control control, int value) {
    const std::string raw = kind_.raw[control];
    const bool down = value != 0;
    if (raw[0] == 'b') {
      SDL_JoystickSetVirtualButton(joystick_, std::stoi(raw.substr(1)), down ? SDL_PRESSED : SDL_RELEASED);
    } else if (raw[0] == 'h') {
      const auto bit = static_cast<Uint8>(std::stoi(raw.substr(3)));
      hat_ = static_cast<Uint8>(down ? hat_ | bit : hat_ & ~bit);
      SDL_JoystickSetVirtualHat(joystick_, 0, hat_);
    } else if (raw[0] == 'a') {
      SDL_JoystickSetVirtualAxis(joystick_, std::stoi(raw.substr(1)), static_cast<Sint16>(value));
    } else {
      const Sint16 full = raw[0] == '-' ? -32768 : 32767;
      SDL_JoystickSetVirtualAxis(joystick_, std::stoi(raw.substr(2)), down ? full : 0);
    }
  }
  void Unplug() {
    if (!plugged_) return;
    plugged_ = false;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }

 private:
  const PadKind& kind_;
  SDL_Joystick* joystick_ = nullptr;
  bool plugged_ = true;
  Uint8 hat_ = 0;
};

class PadForm : public TForm {
 public:
  explicit PadForm(TComponent* owner) : TForm(owner) {
    SetCaption("Pads");
    Joy = new TBrinInput(this);
    Joy->SetDebugOption({dioExceptOnError});
    Joy->DeadZone = 0;  // the values as the platform gives them
  }
  TBrinInput* Joy;
};

// What one frame read from the first joystick.
struct Reading {
  LONG x, y;
  std::uint32_t buttons;  // bit n: button n down
  bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& r, std::ostream* os) {
  *os << "x " << r.x << ", y " << r.y << ", buttons 0x" << std::hex << r.buttons << std::dec;
}

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // One file a test process: the tests of this suite run side by side.
    mappingFile = std::filesystem::temp_directory_path() /
                  ("brin_sdl_pads_gamecontrollerdb_" + std::to_string(getpid()) + ".txt");
    std::ofstream(mappingFile) << "# the user's own pads\n" << MappingLine(kButtonPad) << "\n";
    setenv("SDL_GAMECONTROLLERCONFIG", MappingLine(kAxisPad).c_str(), 1);
    std::string error;
    SdlOptions options;
    options.controllerMappingFile = mappingFile.string();
    backend = SdlBackend::Create(options, error);
    if (!backend) GTEST_SKIP() << "no offscreen video driver: " << error;
    ASSERT_EQ(SDL_GameControllerAddMapping(MappingLine(kHatPad).c_str()), 1);
    platform::Install(backend.get());
    app = new TApplication();
    app->Initialize();
    app->CreateForm(form);
  }
  void TearDown() override {
    pads.clear();
    delete app;
    platform::Install(nullptr);
    backend.reset();
    unsetenv("SDL_GAMECONTROLLERCONFIG");
    unsetenv("SDL_VIDEODRIVER");
    std::filesystem::remove(mappingFile);
  }

  VirtualPad& Plug(const PadKind& kind) { return *pads.emplace_back(std::make_unique<VirtualPad>(kind)); }

  // One frame as the game runs it: messages, then the joystick is polled.
  Reading Frame() {
    app->ProcessMessages();
    TBrinInput* joy = form->Joy;
    joystickRead = joy->Update({2});
    Reading r{joy->State().lX, joy->State().lY, 0};
    for (int b = 0; b < 32; ++b)
      if (joy->ButtonDown(b)) r.buttons |= 1u << b;
    return r;
  }

  std::filesystem::path mappingFile;
  std::unique_ptr<SdlBackend> backend;
  TApplication* app = nullptr;
  PadForm* form = nullptr;
  std::vector<std::unique_ptr<VirtualPad>> pads;
  bool joystickRead = false;
};

constexpr Reading kCentred{0, 0, 0};

TEST_F(PadTest, EveryKnownPadShowsTheSameLayout) {
  struct Row {
    const char* what;
    std::vector<std::pair<Control, int>> held;
    Reading read;
  };
  const Row rows[] = {
      {"D-pad left", {{Left, 1}}, {-32768, 0, 0}},
      {"D-pad up and right", {{Up, 1}, {Right, 1}}, {32767, -32768, 0}},
      {"stick only", {{StickX, 12000}, {StickY, -20000}}, {12000, -20000, 0}},
      {"D-pad over the stick", {{StickX, 20000}, {StickY, 9000}, {Left, 1}}, {-32768, 9000, 0}},
      {"south", {{South, 1}}, {0, 0, 1u << 0}},
      {"east", {{East, 1}}, {0, 0, 1u << 1}},
      {"west", {{West, 1}}, {0, 0, 1u << 2}},
      {"north", {{North, 1}}, {0, 0, 1u << 3}},
      {"left shoulder", {{LeftShoulder, 1}}, {0, 0, 1u << 4}},
      {"right shoulder", {{RightShoulder, 1}}, {0, 0, 1u << 5}},
      {"back", {{Back, 1}}, {0, 0, 1u << 6}},
      {"start", {{Start, 1}}, {0, 0, 1u << 7}},
  };
  for (const PadKind* kind : {&kHatPad, &kButtonPad, &kAxisPad}) {
    SCOPED_TRACE(kind->name);
    VirtualPad& pad = Plug(*kind);
    char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUID(pad.Joystick()));
    ASSERT_NE(mapping, nullptr) << "SDL's database knows the pad";
    std::printf("SDL_GameControllerMappingForGUID(%s): %s\n", kind->name, mapping);
    SDL_free(mapping);
    EXPECT_EQ(Frame(), kCentred);
    const long allocations = AllocationCount();
    for (const Row& row : rows) {
      for (const auto& [control, value] : row.held) pad.Set(control, value);
      EXPECT_EQ(Frame(), row.read) << row.what;
      for (const auto& [control, value] : row.held) pad.Set(control, 0);
      EXPECT_EQ(Frame(), kCentred) << row.what << " released";
    }
    EXPECT_EQ(AllocationCount() - allocations, 0) << "frames with pad input allocate nothing";
    pad.Unplug();
  }
}

TEST_F(PadTest, AJoystickTheDatabaseDoesNotKnowKeepsItsOwnLayout) {
  VirtualPad& stick = Plug(kStick);
  EXPECT_EQ(SDL_GameControllerMappingForGUID(SDL_JoystickGetGUID(stick.Joystick())), nullptr);
  SDL_JoystickSetVirtualAxis(stick.Joystick(), 2, -9000);
  SDL_JoystickSetVirtualButton(stick.Joystick(), 5, SDL_PRESSED);
  SDL_JoystickSetVirtualHat(stick.Joystick(), 0, SDL_HAT_RIGHT);
  const Reading read = Frame();
  EXPECT_EQ(read, (Reading{0, 0, 1u << 5}));
  EXPECT_EQ(form->Joy->State().lZ, -9000);
  EXPECT_EQ(form->Joy->State().rgdwPOV[0], 9000u);
}

TEST_F(PadTest, APadPluggedInAfterStartIsReadFromTheFrameItArrives) {
  TBrinInput* joy = form->Joy;
  ASSERT_EQ(joy->JoystickCount(), 1) << "a joystick is opened at start with no pad plugged in";
  constexpr int kPlugFrame = 5;
  int firstPress = -1;
  for (int frame = 0; frame < 10 && firstPress < 0; ++frame) {
    if (frame == kPlugFrame) Plug(kHatPad).Set(South, 1);
    if (Frame().buttons & 1u) firstPress = frame;
    EXPECT_TRUE(joystickRead) << "the joystick opened at start is read at frame " << frame;
  }
  std::printf("plugged in before frame %d, pressed at once: first press read at frame %d\n", kPlugFrame,
              firstPress);
  EXPECT_EQ(firstPress, kPlugFrame);
}

TEST_F(PadTest, APadUnpluggedWhileHeldReadsCentredAndTheNextPadTakesOver) {
  VirtualPad& first = Plug(kHatPad);
  VirtualPad& second = Plug(kButtonPad);
  first.Set(South, 1);
  first.Set(Left, 1);
  second.Set(East, 1);
  EXPECT_EQ(Frame(), (Reading{-32768, 0, 1u << 0}));
  first.Unplug();
  EXPECT_EQ(Frame(), (Reading{0, 0, 1u << 1})) << "the pad still plugged in is the game's now";
  second.Unplug();
  EXPECT_EQ(Frame(), kCentred);
  EXPECT_TRUE(joystickRead) << "the joystick is still there to be read";
  Plug(kAxisPad).Set(West, 1);
  EXPECT_EQ(Frame(), (Reading{0, 0, 1u << 2})) << "and reads the next pad plugged in";
}

}  // namespace
}  // namespace platform::sdl
