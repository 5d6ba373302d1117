// Zornack: the program. It shows its window on the SDL back end and runs
// the main form's message loop until the game ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/main_form.h"
#include "platform/backend/sdl/sdl_factory.h"
#include "platform/forms.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  platform::SdlOptions options;
  bool busyWait = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--busy-wait") busyWait = true;
    if (arg == "--scale" && i + 1 < argc) options.windowScale = std::atoi(argv[++i]);
  }
  std::string error;
  auto backend = platform::CreateSdlBackend(options, error);
  if (!backend) {
    std::fprintf(stderr, "zornack: no display available (%s)\n", error.c_str());
    return 1;
  }
  platform::Install(backend.get());
  {
    // The application and its form go first: the sound device and the
    // window must be released while the back end still exists.
    TApplication app;
    app.Initialize();
    app.CreateForm(Form1);
    Form1->BusyWait = busyWait;
    // Frame-start times for tools/measure_load.
    if (const char* log = std::getenv("ZORNACK_FRAME_LOG")) Form1->FrameLog.Open(log);
    app.Run();
  }
  platform::Install(nullptr);
  return 0;
}
