// bwa_pack: builds, lists and unpacks archive files.
//   bwa_pack create ARCHIVE [--compress] FILE...
//   bwa_pack list ARCHIVE
//   bwa_pack extract ARCHIVE ID [OUT]
//   bwa_pack --help
// Exit code 0 on success, 1 when the work fails, 2 for a wrong command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
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
    "       bwa_pack --help\n"
    "  create   packs each FILE under its name without the folder; --compress\n"
    "           byte-pair compresses the items where that makes them smaller\n"
    "  list     one line per entry: ID, offset, stored size, expanded size\n"
    "           (tab-separated); fails when an item's data is not all in the file\n"
    "  extract  writes the item to OUT, or to standard output when OUT is - or not given\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "bwa_pack: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

// A command's arguments: operands in order, and the options among them.
// "-" alone is an operand (standard output).
struct Arguments {
  std::vector<std::string> Operands;
  std::vector<std::string> Options;
};

Arguments Split(const std::vector<std::string>& args) {
  Arguments split;
  for (const std::string& arg : args) (arg.size() > 1 && arg[0] == '-' ? split.Options : split.Operands).push_back(arg);
  return split;
}

// The archive reader's messages are Japanese; the English before them says
// what was being done.
platform::Exception Explained(const std::string& what, const brin::EBWAError& error) {
  return platform::Exception(what + ": " + error.Message());
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found)
    throw platform::EInOutError("cannot open \"" + path + "\": " + std::strerror(ENOENT));
  if (status.type() != std::filesystem::file_type::regular) throw platform::EInOutError("\"" + path + "\" is not a file");
  platform::FileStream file(path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  file.ReadBuffer(bytes.data(), file.Size());
  return bytes;
}

int Create(const Arguments& args) {
  bool compress = false;
  for (const std::string& option : args.Options) {
    if (option != "--compress") return Usage("unknown option " + option);
    compress = true;
  }
  if (args.Operands.empty()) return Usage("create needs an archive name");
  if (args.Operands.size() == 1) return Usage("create needs at least one file");

  std::vector<bwapack::TPackItem> items;
  for (std::size_t i = 1; i < args.Operands.size(); ++i) {
    const std::string& path = args.Operands[i];
    bwapack::TPackItem item;
    item.ID = std::filesystem::path(path).filename().string();
    item.Data = ReadWholeFile(path);
    items.push_back(std::move(item));
  }
  const std::vector<std::uint8_t> archive = bwapack::BuildArchive(items, compress);
  platform::ReplaceFileAtomically(args.Operands[0], archive.data(), archive.size());
  return 0;
}

int List(const Arguments& args) {
  if (!args.Options.empty()) return Usage("unknown option " + args.Options[0]);
  if (args.Operands.size() != 1) return Usage("list takes one archive name");
  const std::string& path = args.Operands[0];
  platform::FileStream file(path);
  brin::TBWADirectory directory;
  try {
    directory = brin::ReadArchiveDirectory(file);
  } catch (const brin::EBWAError& error) {
    throw Explained("cannot read the archive \"" + path + "\"", error);
  }
  // The reader looks at an item's data only when it is asked for: a file cut
  // short would list as if whole.
  const std::int64_t fileSize = file.Size();
  for (const brin::TBWAEntry& entry : directory.Entries) {
    const std::int64_t size = directory.Compressed ? entry.StoredSize : entry.ExpandedSize;
    if (size < 0 || entry.DataOffset + size > fileSize) {
      throw platform::Exception("the archive \"" + path + "\" is damaged: the data of '" + platform::Cp932ToUtf8(entry.ID) +
                                "' (offset " + std::to_string(entry.DataOffset) + ", " + std::to_string(size) +
                                " bytes) is not all in the file (" + std::to_string(fileSize) + " bytes)");
    }
  }
  for (const brin::TBWAEntry& entry : directory.Entries) {
    std::printf("%s\t%u\t%d\t%d\n", platform::Cp932ToUtf8(entry.ID).c_str(), entry.DataOffset, entry.StoredSize,
                entry.ExpandedSize);
  }
  if (std::fflush(stdout) != 0) throw platform::EInOutError(std::string("cannot write the listing: ") + std::strerror(errno));
  return 0;
}

int Extract(const Arguments& args) {
  if (!args.Options.empty()) return Usage("unknown option " + args.Options[0]);
  if (args.Operands.size() != 2 && args.Operands.size() != 3)
    return Usage("extract takes an archive name, an ID and an optional output");
  const std::string& archive = args.Operands[0];
  const std::string& id = args.Operands[1];
  std::unique_ptr<platform::MemoryStream> item;
  try {
    item = brin::ExtractFromArchive(archive, id);
  } catch (const brin::EBWAError& error) {
    throw Explained("cannot extract '" + id + "' from \"" + archive + "\"", error);
  }
  const auto size = static_cast<std::size_t>(item->Size());
  if (args.Operands.size() == 3 && args.Operands[2] != "-") {
    platform::ReplaceFileAtomically(args.Operands[2], item->Memory(), size);
  } else if ((size != 0 && std::fwrite(item->Memory(), 1, size, stdout) != size) || std::fflush(stdout) != 0) {
    throw platform::EInOutError(std::string("cannot write to standard output: ") + std::strerror(errno));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  for (const std::string& arg : all) {
    if (arg == "--help" || arg == "-h" || (arg == "help" && arg == all.front())) {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
  }
  if (all.empty()) return Usage("no command");
  const std::string& command = all.front();
  const Arguments args = Split(std::vector<std::string>(all.begin() + 1, all.end()));
  try {
    if (command == "create") return Create(args);
    if (command == "list") return List(args);
    if (command == "extract") return Extract(args);
    return Usage("unknown command '" + command + "'");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bwa_pack: %s\n", error.what());
    return 1;
  }
}
