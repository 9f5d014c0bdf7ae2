// Output that is never reported as written when it was not: every write is
// checked, retried after a signal or a short write, and a failure becomes an
// OutputError whose message names the destination and the reason ("No space
// left on device"). A table written to a file goes to a temporary file beside
// it and replaces the file only when it has reached the disk, so a reader
// never sees half a table under the final name.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace davrel3 {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes all of `data` to `fd`; a write cut short by a signal or by a full
// pipe is continued where it stopped. Throws OutputError "cannot write to
// NAME: REASON".
void WriteAll(int fd, std::string_view data, const std::string& name);

// Where a table goes: standard output, or a file replaced atomically.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Writes `data` whole (one row, one record): with one call per row the
  // stream never ends inside a row, whatever stops the program later.
  virtual void Write(std::string_view data) = 0;
  // Everything written so far is on its way to the reader or on disk.
  virtual void Finish() = 0;
  virtual const std::string& Name() const = 0;
};

// Standard output (or any descriptor already open). Finish checks that the
// descriptor takes no complaint: a regular file is synced.
class DescriptorSink : public OutputSink {
 public:
  DescriptorSink(int fd, std::string name);
  void Write(std::string_view data) override;
  void Finish() override;
  const std::string& Name() const override { return name_; }

 private:
  int fd_;
  std::string name_;
};

// A file written as a whole: the bytes go to a temporary file in the same
// folder, and Commit() syncs it and renames it to the final name. Destroyed
// without Commit(), the temporary file is removed and the final name keeps
// whatever it held before. Opening refuses a final name that exists and is
// not a regular file (a folder, a device, a pipe).
class AtomicFileSink : public OutputSink {
 public:
  explicit AtomicFileSink(std::string path);
  ~AtomicFileSink() override;
  AtomicFileSink(const AtomicFileSink&) = delete;
  AtomicFileSink& operator=(const AtomicFileSink&) = delete;

  void Write(std::string_view data) override;
  // Syncs the temporary file; Commit() does this too.
  void Finish() override;
  // Finish, close, rename over the final name, sync the folder.
  void Commit();
  const std::string& Name() const override { return path_; }
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  bool committed_ = false;
};

// Writes `contents` to `path` through an AtomicFileSink.
void WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace davrel3
