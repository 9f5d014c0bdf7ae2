// Where a batch's table goes: standard output, or a file (--output, or the
// table --resume continues) written beside its name and renamed over it when
// the table is whole or an interrupt ends it, with its manifest beside it;
// and the file of its series.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "experiment/checked_output.h"
#include "experiment/manifest.h"
#include "experiment/table_writer.h"

namespace davrel3 {

class TableOutput {
 public:
  // `path` empty: standard output. Throws OutputError "cannot write the
  // table 'PATH': REASON" when the file cannot be begun.
  explicit TableOutput(const std::string& path);

  OutputSink& Sink() { return file_ ? static_cast<OutputSink&>(*file_) : standardOutput_; }
  bool ToFile() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  // A file: renamed to its name, with `manifest` written beside it. Throws
  // OutputError saying what could not be written.
  void Commit(const TableManifest& manifest);

 private:
  DescriptorSink standardOutput_;
  std::unique_ptr<AtomicFileSink> file_;
  std::string path_;
};

// The series file at `path`, begun with its header. Throws OutputError
// "cannot write the series 'PATH': REASON".
std::unique_ptr<AtomicFileSink> OpenSeries(const std::string& path);

// The manifest of a table written to `path`: the writer's counts and hash,
// which program and command line wrote it, its version, and when.
TableManifest BatchManifest(const TableWriter& writer, const std::string& program,
                            const std::vector<std::string>& commandLine,
                            std::chrono::system_clock::time_point started, const std::string& path);

}  // namespace davrel3
