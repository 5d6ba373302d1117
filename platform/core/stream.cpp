#include "platform/stream.h"

#include <algorithm>
#include <cstring>

namespace platform {

void Stream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0 || Read(buffer, count) != count) throw EInOutError("stream read error");
}

void Stream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0 || Write(buffer, count) != count) throw EInOutError("stream write error");
}

std::int64_t Stream::CopyFrom(Stream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::uint8_t chunk[64 * 1024];
  std::int64_t left = count;
  while (left > 0) {
    const std::int64_t n = std::min<std::int64_t>(left, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    left -= n;
  }
  return count;
}

FileStream::FileStream(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) throw EInOutError("cannot open file \"" + path + "\"");
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    std::fclose(file_);
    throw EInOutError("cannot read file \"" + path + "\"");
  }
  size_ = std::ftell(file_);
  std::fseek(file_, 0, SEEK_SET);
}

FileStream::~FileStream() {
  if (file_) std::fclose(file_);
}

std::int64_t FileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), file_);
  position_ += static_cast<std::int64_t>(n);
  return static_cast<std::int64_t>(n);
}

std::int64_t FileStream::Write(const void*, std::int64_t) { throw EInOutError("stream write error: file is read-only"); }

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == SeekOrigin::Current) target += position_;
  if (origin == SeekOrigin::End) target += size_;
  if (target < 0) throw EInOutError("seek before the start of \"" + path_ + "\"");
  if (target != position_ && std::fseek(file_, static_cast<long>(target), SEEK_SET) != 0)
    throw EInOutError("seek error in \"" + path_ + "\"");
  position_ = target;
  return position_;
}

std::int64_t MemoryStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t available = Size() - position_;
  if (count <= 0 || available <= 0) return 0;
  const std::int64_t n = std::min(count, available);
  std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

std::int64_t MemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (position_ + count > Size()) bytes_.resize(static_cast<size_t>(position_ + count));
  std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == SeekOrigin::Current) target += position_;
  if (origin == SeekOrigin::End) target += Size();
  if (target < 0) throw EInOutError("seek before the start of a memory stream");
  position_ = target;
  return position_;
}

void MemoryStream::SetSize(std::int64_t size) {
  bytes_.resize(static_cast<size_t>(std::max<std::int64_t>(size, 0)));
  position_ = std::min(position_, Size());
}

}  // namespace platform
