#include "platform/program.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "platform/system.h"

namespace platform {

namespace {

// Uninstalls the back end on every way out, after the application is gone.
struct Installation {
  explicit Installation(Backend* backend) { Install(backend); }
  ~Installation() { Install(nullptr); }
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;
};

}  // namespace

int GuardedMain(const char* name, const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", name, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: an unknown error ended the program\n", name);
  }
  return 1;
}

int CommandLineError(const char* name, const std::string& problem, const char* usage) {
  const std::string text = usage;
  std::fprintf(stderr, "%s: %s\n%s\n(%s --help tells more)\n", name, problem.c_str(),
               text.substr(0, text.find('\n')).c_str(), name);
  return 2;
}

int RunProgramWith(const char* name, const SdlOptions& options,
                   const std::function<void(TApplication& app)>& makeForm) {
  return GuardedMain(name, [&] {
    std::string error;
    std::unique_ptr<Backend> backend = CreateSdlBackend(options, error);
    if (!backend) {
      std::fprintf(stderr, "%s: no display available (%s)\n", name, error.c_str());
      return 1;
    }
    Installation installation(backend.get());
    // The application and its forms go first: the sound device and the
    // window must be released while the back end still exists.
    TApplication app;
    app.Initialize();
    makeForm(app);
    app.Run();
    return 0;
  });
}

}  // namespace platform
