#include "table_writer.h"

namespace davrel3 {

TableWriter::TableWriter(OutputSink& out, int agents) : out_(out), agents_(agents) {}

void TableWriter::Write(const std::string& line) {
  // One write per row: an interrupted stream never ends inside a row.
  out_.Write(line);
  hash_.Update(line);
}

void TableWriter::WriteKept(std::string_view bytes) {
  out_.Write(bytes);
  hash_.Update(bytes);
}

void TableWriter::CountKept(long long runs, long long rows) {
  runs_ += runs;
  rows_ += rows;
}

void TableWriter::WriteHeader() { Write(TableHeader(agents_) + "\n"); }

void TableWriter::WriteRun(const std::vector<TableRow>& rows) {
  for (const TableRow& row : rows) {
    Write(TableRowText(row, agents_) + "\n");
    ++rows_;
  }
  ++runs_;
}

TableManifest TableWriter::Manifest() const {
  TableManifest manifest;
  manifest.runs = runs_;
  manifest.rows = rows_;
  manifest.sha256 = Sha256Hex();
  manifest.schemaVersion = kTableSchemaVersion;
  return manifest;
}

std::string TableText(const std::vector<TableRow>& rows, int agents) {
  std::string text = TableHeader(agents) + "\n";
  for (const TableRow& row : rows) text += TableRowText(row, agents) + "\n";
  return text;
}

}  // namespace davrel3
