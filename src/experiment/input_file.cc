#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace davrel3 {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string SizeText(std::int64_t bytes) {
  if (bytes % (1 << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes % (1 << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

InputFile::InputFile(const std::string& path, std::int64_t maxBytes) : path_(path), maxBytes_(maxBytes) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer before the type
  // check below refuses it.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw InputFileError("cannot read " + path + ": " + std::strerror(errno));
  struct stat info{};
  if (::fstat(fd_, &info) != 0) {
    const int error = errno;
    ::close(fd_);
    throw InputFileError("cannot read " + path + ": " + std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd_);
    throw InputFileError("cannot read " + path + ": it is " + KindOf(info.st_mode) + ", not a regular file");
  }
  size_ = info.st_size;
  if (size_ > maxBytes_) {
    ::close(fd_);
    throw InputFileError("cannot read " + path + ": it is larger than " + SizeText(maxBytes_));
  }
  // Regular files never block; reads are plain from here on.
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw InputFileError("cannot read " + path_ + ": " + std::strerror(errno));
    }
    read_ += got;
    if (read_ > maxBytes_) {
      throw InputFileError("cannot read " + path_ + ": it grew larger than " + SizeText(maxBytes_) +
                           " while it was read");
    }
    return static_cast<std::size_t>(got);
  }
}

std::string ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  InputFile file(path, maxBytes);
  std::string contents;
  contents.reserve(static_cast<std::size_t>(file.Size()));
  char buffer[65536];
  while (const std::size_t got = file.Read(buffer, sizeof buffer)) contents.append(buffer, got);
  return contents;
}

}  // namespace davrel3
