// Starting a program: the sequence every windowed program of the tree runs.
//
//   int main() { return platform::RunProgram("zornack", Form1); }
//
// creates the SDL back end (or prints "zornack: no display available (...)"
// and answers 1), installs it, makes the application and its main form, runs
// the message loop until the program ends, and takes everything down in the
// order the platform needs (the application and its forms first, then the
// back end). An exception that escapes all of it is reported as one line on
// stderr, "NAME: what went wrong", and the answer is 1: no program ends by
// abort.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/backend/sdl/sdl_factory.h"
#include "platform/forms.h"

namespace platform {

// Runs BODY, turning an exception that escapes it into one line on stderr
// and the answer 1. For the parts of a main that come before RunProgram.
int GuardedMain(const char* name, const std::function<int()>& body);

// Reports a command-line mistake on stderr as "NAME: PROBLEM" and the first
// line of USAGE; answers 2, the status of a program started the wrong way.
int CommandLineError(const char* name, const std::string& problem, const char* usage);

// Runs the program NAME with the application's main form made by MAKE_FORM.
int RunProgramWith(const char* name, const SdlOptions& options,
                   const std::function<void(TApplication& app)>& makeForm);

// The same with a form class, as TApplication::CreateForm makes it; ARGS go
// to the form's constructor after its owner.
template <typename TMainForm, typename... Args>
int RunProgram(const char* name, TMainForm*& form, const SdlOptions& options, Args&&... args) {
  return RunProgramWith(name, options, [&](TApplication& app) { app.CreateForm(form, std::forward<Args>(args)...); });
}
template <typename TMainForm>
int RunProgram(const char* name, TMainForm*& form) {
  return RunProgram(name, form, SdlOptions{});
}

}  // namespace platform
