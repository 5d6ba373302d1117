// Where the game's files live, resolved once at start-up.
//
// The data folder holds the sheets and waves: the program's own folder when
// they are there (a build tree or a copied folder), otherwise the installed
// <prefix>/share/zornack beside <prefix>/bin; ZORNACK_DATA_DIR overrides.
//
// The user folder holds ranking.txt and replays/: the program's own folder
// when the data is there too and the folder is writable (the portable case),
// otherwise $XDG_DATA_HOME/zornack (~/.local/share/zornack by default);
// ZORNACK_USER_DIR overrides.
#pragma once

#include <string>

struct TGameFolders {
  std::string Data;  // with a trailing '/'
  std::string User;  // with a trailing '/'
  bool Portable = false;  // the data was found in the program's own folder
};

// What the folders are resolved from; FromProcess reads the running
// program's folder and environment, tests make their own.
struct TFolderEnvironment {
  std::string ProgramFolder;  // with a trailing '/'
  std::string DataDir;        // ZORNACK_DATA_DIR; empty when unset
  std::string UserDir;        // ZORNACK_USER_DIR
  std::string XdgDataHome;    // XDG_DATA_HOME
  std::string Home;           // HOME
  static TFolderEnvironment FromProcess();
};

TGameFolders ResolveFolders(const TFolderEnvironment& env);

// Makes the user folder when it is missing and checks that files can be
// written in it. Returns false with PROBLEM set to one line when not: the
// game still plays, but keeps nothing.
bool PrepareUserFolder(const TGameFolders& folders, std::string& problem);
