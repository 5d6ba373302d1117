// The per-frame calls (Update, GetDirection, ButtonDown) allocate nothing,
// also when a device was lost and is acquired again: this executable
// counts every operator new.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/input/input_fixture.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

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
  const long before = allocations.load();
  int down = 0;
  for (int frame = 0; frame < 50; ++frame) {
    joy->Update({2, 0});
    TBrinInputDirection d;
    joy->GetDirection(d);
    for (int b = 0; b < 4; ++b) down += joy->ButtonDown(b) ? 1 : 0;
    joy->Update({1});
  }
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_GT(down, 0) << "the frames read something";
}

}  // namespace
}  // namespace brin_input_test
