#include "run_table.h"

#include <algorithm>

#include "experiment/csv_reader.h"
#include "experiment/sha256.h"

namespace davrel3 {
namespace {

constexpr long long kMaxRunNumber = 1000000000000000000LL;

std::optional<long long> RunNumber(const std::string& text) {
  if (text.empty() || text.size() > 19 || text[0] == '0') return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxRunNumber) return std::nullopt;
  return value;
}

std::string Plural(long long n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Copies bytes [from, to) of a table, refusing a file that is no longer the
// size it had when it was scanned.
void CopyBytes(const RunTableScan& table, std::int64_t from, OutputSink& out) {
  InputFile file(table.path, table.bytes);
  if (file.Size() != table.bytes) {
    throw InputFileError("cannot read " + table.path + ": it changed while it was being read");
  }
  std::vector<char> buffer(std::size_t{1} << 16);
  std::int64_t position = 0;
  std::string chunk;
  while (const std::size_t got = file.Read(buffer.data(), buffer.size())) {
    const std::int64_t end = position + static_cast<std::int64_t>(got);
    if (end > from) {
      const std::size_t skip = position < from ? static_cast<std::size_t>(from - position) : 0;
      out.Write(std::string_view(buffer.data() + skip, got - skip));
    }
    position = end;
  }
  if (position != table.bytes) {
    throw InputFileError("cannot read " + table.path + ": it changed while it was being read");
  }
}

}  // namespace

RunTableScan ScanRunTable(const std::string& path) {
  CsvLimits limits;
  CsvReader reader(path, limits);
  RunTableScan scan;
  scan.path = path;
  std::vector<std::string> fields;
  std::string raw;
  if (!reader.Next(fields, &raw)) throw InputFileError(path + ": the file is empty: there is no header line");
  if (fields[0] != "run") reader.Refuse("this is not a table of runs: the first column is not \"run\"");
  const std::size_t columns = fields.size();
  scan.header = raw;
  scan.bytes = static_cast<std::int64_t>(raw.size());
  long long previous = 0;
  while (reader.Next(fields, &raw)) {
    scan.bytes += static_cast<std::int64_t>(raw.size());
    if (fields.size() != columns) {
      reader.Refuse("the row has " + Plural(static_cast<long long>(fields.size()), "field", "fields") +
                    ", the header " + Plural(static_cast<long long>(columns), "column", "columns"));
    }
    const auto run = RunNumber(fields[0]);
    if (!run) reader.Refuse("the run number '" + fields[0] + "' is not a whole number from 1");
    if (*run < previous) {
      reader.Refuse("run " + fields[0] + " comes after run " + std::to_string(previous) +
                    ": the runs are not in order");
    }
    ++scan.rows;
    if (*run == previous) continue;
    ++scan.runCount;
    if (!scan.runs.empty() && scan.runs.back().last + 1 == *run) {
      scan.runs.back().last = *run;
    } else {
      scan.runs.push_back({*run, *run});
    }
    previous = *run;
  }
  return scan;
}

long long CountRuns(const std::vector<RunSpan>& spans) {
  long long n = 0;
  for (const auto& s : spans) n += s.last - s.first + 1;
  return n;
}

std::string DescribeRuns(const std::vector<RunSpan>& spans, std::size_t limit) {
  std::string text;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (i == limit) {
      std::vector<RunSpan> rest(spans.begin() + static_cast<std::ptrdiff_t>(i), spans.end());
      text += " and ";
      text += std::to_string(CountRuns(rest));
      text += " more";
      break;
    }
    if (i > 0) text += ", ";
    text += std::to_string(spans[i].first);
    if (spans[i].last != spans[i].first) {
      text += '-';
      text += std::to_string(spans[i].last);
    }
  }
  return text;
}

std::vector<RunSpan> MissingRuns(const std::vector<RunSpan>& present, long long first, long long last) {
  std::vector<RunSpan> missing;
  long long next = first;
  for (const auto& span : present) {
    if (span.last < next) continue;
    if (span.first > last) break;
    if (span.first > next) missing.push_back({next, span.first - 1});
    next = span.last + 1;
    if (next > last) break;
  }
  if (next <= last) missing.push_back({next, last});
  return missing;
}

MergePlan PlanMerge(const std::vector<RunTableScan>& tables, std::optional<long long> totalRuns) {
  MergePlan plan;
  if (tables.empty()) {
    plan.error = "there is no table to join";
    return plan;
  }
  for (const auto& table : tables) {
    if (table.header != tables[0].header) {
      plan.error = table.path + " has another header than " + tables[0].path +
                   ": they are not slices of the same batch";
      return plan;
    }
  }
  // Every span of every table, in run order, to find runs held twice.
  struct Owned {
    RunSpan span;
    std::size_t table;
  };
  std::vector<Owned> all;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    for (const auto& span : tables[t].runs) all.push_back({span, t});
  }
  std::sort(all.begin(), all.end(), [](const Owned& a, const Owned& b) { return a.span.first < b.span.first; });
  std::vector<RunSpan> present;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i > 0 && all[i].span.first <= all[i - 1].span.last) {
      const auto& a = tables[all[i - 1].table].path;
      const auto& b = tables[all[i].table].path;
      plan.error = "run " + std::to_string(all[i].span.first) + " is in " + a +
                   (a == b ? " twice" : " and in " + b) + ": a run may be joined only once";
      return plan;
    }
    if (!present.empty() && present.back().last + 1 == all[i].span.first) {
      present.back().last = all[i].span.last;
    } else {
      present.push_back(all[i].span);
    }
  }
  // Rows of one table come out together, so the runs of two tables must not
  // interleave.
  std::vector<std::size_t> order;
  for (const auto& owned : all) {
    if (order.empty() || order.back() != owned.table) {
      if (std::find(order.begin(), order.end(), owned.table) != order.end()) {
        plan.error = "the runs of " + tables[owned.table].path + " and " + tables[order.back()].path +
                     " interleave: they are not slices of one batch";
        return plan;
      }
      order.push_back(owned.table);
    }
  }
  // A table without rows joins anywhere.
  for (std::size_t t = 0; t < tables.size(); ++t) {
    if (tables[t].runs.empty()) order.push_back(t);
  }
  const long long total = totalRuns ? *totalRuns : (present.empty() ? 0 : present.back().last);
  if (!present.empty() && present.back().last > total) {
    plan.error = "run " + std::to_string(present.back().last) + " is beyond the " +
                 Plural(total, "run", "runs") + " of the batch";
    return plan;
  }
  const auto missing = MissingRuns(present, 1, total);
  if (!missing.empty()) {
    const long long n = CountRuns(missing);
    plan.error = Plural(n, "run is", "runs are") + " missing: " + DescribeRuns(missing);
    return plan;
  }
  plan.order = std::move(order);
  return plan;
}

void WriteMerge(const std::vector<RunTableScan>& tables, const MergePlan& plan, OutputSink& out) {
  out.Write(tables.at(0).header);
  for (std::size_t t : plan.order) {
    const auto& table = tables[t];
    CopyBytes(table, static_cast<std::int64_t>(table.header.size()), out);
  }
}

long long ResumePoint(const RunTableScan& table, const std::string& header, long long first, long long last) {
  if (table.header != header) {
    // A table without runs holds nothing the header decides: it is written
    // again under this one.
    if (table.runs.empty()) return 0;
    throw InputFileError(table.path + " has another header than this batch prints: it was made by another "
                         "command or another version");
  }
  if (table.runs.empty()) return 0;
  if (table.runs.size() > 1 || table.runs[0].first != first || table.runs[0].last > last) {
    throw InputFileError(table.path + " holds runs " + DescribeRuns(table.runs) + ", not the first runs of " +
                         std::to_string(first) + "-" + std::to_string(last) + ": it cannot be continued");
  }
  return table.runs[0].last - first + 1;
}

void CopyTable(const RunTableScan& table, OutputSink& out) { CopyBytes(table, 0, out); }

std::string TableSha256(const RunTableScan& table) {
  // The bytes go through the hash as they are read, never held whole.
  class HashSink : public OutputSink {
   public:
    void Write(std::string_view data) override { hash.Update(data); }
    void Finish() override {}
    const std::string& Name() const override { return name_; }
    Sha256 hash;

   private:
    std::string name_ = "the hash";
  } sink;
  CopyTable(table, sink);
  return sink.hash.HexDigest();
}

}  // namespace davrel3
