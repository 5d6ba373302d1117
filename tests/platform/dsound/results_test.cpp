// Failures report a code from the call's documented result list: each row is
// a call refused for a reason the list has no code of its own for.
#include <functional>

#include "tests/platform/dsound/dsound_test_support.h"

namespace dsound_test {
namespace {

using DSoundResults = DirectSoundTest;

TEST_F(DSoundResults, RefusalsUseTheCodesEachCallDocuments) {
  IDirectSoundBuffer* deferred = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8), DSBCAPS_LOCDEFER);
  IDirectSoundBuffer* threeD = Make(Pcm(1, 16, 44100), std::vector<std::int16_t>(8), DSBCAPS_CTRL3D);
  IDirectSound3DBuffer* source = nullptr;
  ASSERT_EQ(threeD->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&source)), DS_OK);
  Own(source);
  struct Row {
    const char* call;
    std::function<HRESULT()> run;
    HRESULT expected;
  };
  const Row rows[] = {
      {"Play LOCHARDWARE", [&] { return deferred->Play(0, 0, DSBPLAY_LOCHARDWARE); }, DSERR_INVALIDCALL},
      {"IDirectSound::QueryInterface to null", [&] { return ds_->QueryInterface(IID_IDirectSound, nullptr); },
       E_POINTER},
      {"IDirectSoundBuffer::QueryInterface to null",
       [&] { return deferred->QueryInterface(IID_IDirectSoundBuffer, nullptr); }, E_POINTER},
      {"IDirectSound3DBuffer::QueryInterface to null",
       [&] { return source->QueryInterface(IID_IDirectSound3DBuffer, nullptr); }, E_POINTER},
  };
  for (const Row& row : rows) EXPECT_EQ(row.run(), row.expected) << row.call;
}

}  // namespace
}  // namespace dsound_test
