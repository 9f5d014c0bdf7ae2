#include "table_output.h"

#include <unistd.h>

#include "experiment/series.h"
#include "experiment/version.h"

namespace davrel3 {

TableOutput::TableOutput(const std::string& path) : standardOutput_(STDOUT_FILENO, "standard output"), path_(path) {
  if (path.empty()) return;
  try {
    file_ = std::make_unique<AtomicFileSink>(path);
  } catch (const OutputError& error) {
    throw OutputError("cannot write the table '" + path + "': " + error.what());
  }
}

void TableOutput::Commit(const TableManifest& manifest) {
  if (!file_) return;
  file_->Commit();
  if (auto error = WriteManifest(path_, manifest)) throw OutputError(*error);
}

std::unique_ptr<AtomicFileSink> OpenSeries(const std::string& path) {
  try {
    auto series = std::make_unique<AtomicFileSink>(path);
    series->Write(SeriesHeader() + "\n");
    return series;
  } catch (const OutputError& error) {
    throw OutputError("cannot write the series '" + path + "': " + error.what());
  }
}

TableManifest BatchManifest(const TableWriter& writer, const std::string& program,
                            const std::vector<std::string>& commandLine,
                            std::chrono::system_clock::time_point started, const std::string& path) {
  TableManifest manifest = writer.Manifest();
  manifest.program = program;
  manifest.version = ProgramVersion();
  manifest.commandLine = commandLine;
  manifest.started = UtcTimestamp(started);
  manifest.ended = UtcTimestamp(std::chrono::system_clock::now());
  manifest.table = FileNameOf(path);
  return manifest;
}

}  // namespace davrel3
