#include "checked_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace davrel3 {
namespace {

std::string Reason(int error) { return std::strerror(error); }

[[noreturn]] void Fail(const std::string& what, const std::string& name, int error) {
  throw OutputError(what + " " + name + ": " + Reason(error));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Syncing a pipe or a terminal is not possible and not needed; for those
// only the writes themselves could fail.
bool SyncIsMeaningless(int error) { return error == EINVAL || error == EROFS || error == ENOTSUP; }

}  // namespace

void WriteAll(int fd, std::string_view data, const std::string& name) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // A descriptor left non-blocking by whoever opened it: wait until it
        // takes more.
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
      }
      Fail("cannot write to", name, errno);
    }
    if (written == 0) Fail("cannot write to", name, ENOSPC);
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

DescriptorSink::DescriptorSink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

void DescriptorSink::Write(std::string_view data) { WriteAll(fd_, data, name_); }

void DescriptorSink::Finish() {
  struct stat info{};
  if (::fstat(fd_, &info) != 0) Fail("cannot finish writing to", name_, errno);
  if (!S_ISREG(info.st_mode)) return;
  if (::fsync(fd_) != 0 && !SyncIsMeaningless(errno)) Fail("cannot finish writing to", name_, errno);
}

AtomicFileSink::AtomicFileSink(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw OutputError("the output file name is empty");
  struct stat info{};
  if (::stat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    throw OutputError("cannot write to " + path_ + ": it exists and is not a regular file");
  }
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = path_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temporary_.clear();
  throw OutputError("cannot create a temporary file for " + path_ + " in " + FolderOf(path_) + ": " + Reason(error));
}

AtomicFileSink::~AtomicFileSink() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFileSink::Write(std::string_view data) {
  if (fd_ < 0) throw OutputError("cannot write to " + path_ + ": the file is already closed");
  WriteAll(fd_, data, path_);
}

void AtomicFileSink::Finish() {
  if (fd_ < 0) return;
  if (::fsync(fd_) != 0) Fail("cannot finish writing to", path_, errno);
}

void AtomicFileSink::Commit() {
  if (committed_) return;
  Finish();
  const int fd = fd_;
  fd_ = -1;
  // close() reports errors a network file system keeps until the end.
  if (::close(fd) != 0) Fail("cannot finish writing to", path_, errno);
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) Fail("cannot replace", path_, errno);
  committed_ = true;
  // The rename itself reaches the disk only with the folder.
  const int folder = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    const bool synced = ::fsync(folder) == 0 || SyncIsMeaningless(errno);
    const int error = errno;
    ::close(folder);
    if (!synced) Fail("cannot finish writing to", path_, error);
  }
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
  AtomicFileSink sink(path);
  sink.Write(contents);
  sink.Commit();
}

}  // namespace davrel3
