// The per-frame calls (Update, GetDirection, ButtonDown) allocate nothing,
// also when a device was lost and is acquired again: this executable
// counts every operator new.
#include "tests/input/input_fixture.h"
#include "tests/support/allocation_count.h"

namespace brin_input_test {
namespace {

TEST_F(InputTest, AFrameAllocatesNothing) {
  backend.AddJoystick(Pad("Pad"));
  TBrinInput* joy = Start();
  // Lost on the way: the first frame acquires both devices again.
  Focus(false);
  Focus(true);
  Key(DIK_Z, true);
  Axis(0, 0, 20000);
  const long before = AllocationCount();
  int down = 0;
  for (int frame = 0; frame < 50; ++frame) {
    joy->Update({2, 0});
    TBrinInputDirection d;
    joy->GetDirection(d);
    for (int b = 0; b < 4; ++b) down += joy->ButtonDown(b) ? 1 : 0;
    joy->Update({1});
  }
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_GT(down, 0) << "the frames read something";
}

}  // namespace
}  // namespace brin_input_test
