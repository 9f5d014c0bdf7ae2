#include "table_writer.h"

namespace davrel3 {

TableWriter::TableWriter(std::ostream& out, int agents) : out_(out), agents_(agents) {}

void TableWriter::Write(const std::string& line) {
  out_.write(line.data(), static_cast<std::streamsize>(line.size()));
  hash_.Update(line);
}

void TableWriter::WriteHeader() { Write(TableHeader(agents_) + "\n"); }

void TableWriter::WriteRun(const std::vector<TableRow>& rows) {
  for (const TableRow& row : rows) {
    Write(TableRowText(row, agents_) + "\n");
    ++rows_;
  }
  ++runs_;
}

std::string TableText(const std::vector<TableRow>& rows, int agents) {
  std::string text = TableHeader(agents) + "\n";
  for (const TableRow& row : rows) text += TableRowText(row, agents) + "\n";
  return text;
}

}  // namespace davrel3
