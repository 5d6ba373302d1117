// bwa_pack: builds, lists and unpacks archive files.
//   bwa_pack create ARCHIVE [--compress] FILE...
//   bwa_pack list ARCHIVE
//   bwa_pack extract ARCHIVE ID [OUT]
// Exit code 0 on success, 1 when the work fails, 2 for a wrong command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/bwarc.h"
#include "platform/files.h"
#include "platform/stream.h"
#include "tools/bwa_pack/archive_writer.h"

namespace {

const char kUsage[] =
    "usage: bwa_pack create ARCHIVE [--compress] FILE...\n"
    "       bwa_pack list ARCHIVE\n"
    "       bwa_pack extract ARCHIVE ID [OUT]\n"
    "  create   packs each FILE under its name without the folder; --compress\n"
    "           byte-pair compresses every item\n"
    "  list     one line per entry: ID, offset, stored size, expanded size (tab-separated)\n"
    "  extract  writes the item to OUT, or to standard output\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "bwa_pack: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw platform::EInOutError("\"" + path + "\" is not a file");
  platform::FileStream file(path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  file.ReadBuffer(bytes.data(), file.Size());
  return bytes;
}

// Writes to a file beside PATH and renames it, so a failure never leaves a
// half-written file under the wanted name.
void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) throw platform::EInOutError("cannot create \"" + temporary + "\": " + std::strerror(errno));
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  const int savedErrno = errno;
  if (std::fclose(file) != 0 || !written) {
    std::remove(temporary.c_str());
    throw platform::EInOutError("cannot write \"" + temporary + "\": " + std::strerror(written ? errno : savedErrno));
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameErrno = errno;
    std::remove(temporary.c_str());
    throw platform::EInOutError("cannot rename \"" + temporary + "\" to \"" + path + "\": " + std::strerror(renameErrno));
  }
}

int Create(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("create needs an archive name");
  bool compress = false;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--compress") {
      compress = true;
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage("unknown option " + args[i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) return Usage("create needs at least one file");

  std::vector<bwapack::TPackItem> items;
  for (const std::string& path : files) {
    bwapack::TPackItem item;
    item.ID = std::filesystem::path(path).filename().string();
    item.Data = ReadWholeFile(path);
    items.push_back(std::move(item));
  }
  const std::vector<std::uint8_t> archive = bwapack::BuildArchive(items, compress);
  WriteWholeFile(args[0], archive.data(), archive.size());
  return 0;
}

int List(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("list takes one archive name");
  platform::FileStream file(args[0]);
  const brin::TBWADirectory directory = brin::ReadArchiveDirectory(file);
  for (const brin::TBWAEntry& entry : directory.Entries) {
    std::printf("%s\t%u\t%d\t%d\n", platform::Cp932ToUtf8(entry.ID).c_str(), entry.DataOffset, entry.StoredSize,
                entry.ExpandedSize);
  }
  if (std::fflush(stdout) != 0) throw platform::EInOutError(std::string("cannot write the listing: ") + std::strerror(errno));
  return 0;
}

int Extract(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3) return Usage("extract takes an archive name, an ID and an optional output");
  const auto item = brin::ExtractFromArchive(args[0], args[1]);
  const auto size = static_cast<std::size_t>(item->Size());
  if (args.size() == 3) {
    WriteWholeFile(args[2], item->Memory(), size);
  } else if ((size != 0 && std::fwrite(item->Memory(), 1, size, stdout) != size) || std::fflush(stdout) != 0) {
    throw platform::EInOutError(std::string("cannot write to standard output: ") + std::strerror(errno));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("no command");
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "create") return Create(args);
    if (command == "list") return List(args);
    if (command == "extract") return Extract(args);
    if (command == "--help" || command == "-h" || command == "help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return Usage("unknown command '" + command + "'");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bwa_pack: %s\n", error.what());
    return 1;
  }
}
