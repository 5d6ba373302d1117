#include "game/program/folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

// Where the installed data lies seen from the installed program's folder
// (from the install layout, so a moved prefix still finds its data).
#ifndef ZORNACK_DATA_FROM_PROGRAM
#define ZORNACK_DATA_FROM_PROGRAM "../share/zornack"
#endif

std::string AsFolder(const fs::path& path) {
  std::string text = path.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool Writable(const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; }

}  // namespace

TFolderEnvironment TFolderEnvironment::FromProcess() {
  return {platform::ExecutableFolder(), Variable("ZORNACK_DATA_DIR"), Variable("ZORNACK_USER_DIR"),
          Variable("XDG_DATA_HOME"), Variable("HOME")};
}

TGameFolders ResolveFolders(const TFolderEnvironment& env) {
  TGameFolders folders;
  folders.Portable = platform::FileExists(env.ProgramFolder + "cg1.bmp");
  if (!env.DataDir.empty()) {
    folders.Data = AsFolder(fs::absolute(env.DataDir));
  } else if (folders.Portable) {
    folders.Data = AsFolder(env.ProgramFolder);
  } else {
    folders.Data = AsFolder(fs::path(env.ProgramFolder) / ZORNACK_DATA_FROM_PROGRAM);
  }

  if (!env.UserDir.empty()) {
    folders.User = AsFolder(fs::absolute(env.UserDir));
  } else if (folders.Portable && Writable(env.ProgramFolder)) {
    folders.User = AsFolder(env.ProgramFolder);
  } else if (!env.XdgDataHome.empty() && fs::path(env.XdgDataHome).is_absolute()) {
    // A relative XDG_DATA_HOME is invalid and ignored.
    folders.User = AsFolder(fs::path(env.XdgDataHome) / "zornack");
  } else {
    folders.User = AsFolder(fs::path(env.Home.empty() ? "/" : env.Home) / ".local/share/zornack");
  }
  return folders;
}

bool PrepareUserFolder(const TGameFolders& folders, std::string& problem) {
  std::error_code error;
  fs::create_directories(folders.User, error);
  if (error) {
    problem = "the user folder " + folders.User + " cannot be made (" + error.message() + ")";
    return false;
  }
  if (!Writable(folders.User)) {
    problem = "the user folder " + folders.User + " is not writable";
    return false;
  }
  return true;
}
