// Zornack: the program. It shows its window on the SDL back end and runs
// the main form's message loop until the game ends.
#include <cstdio>
#include <string>

#include "game/main_form.h"
#include "platform/backend/sdl/sdl_factory.h"
#include "platform/forms.h"
#include "platform/system.h"

int main() {
  std::string error;
  auto backend = platform::CreateSdlBackend({}, error);
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
    app.Run();
  }
  platform::Install(nullptr);
  return 0;
}
