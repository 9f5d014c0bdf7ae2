// davrel3-batch: the headless runner. It drives the same workbench as the
// window, so experiments can be scripted and every number checked. The
// command line (command_line.h) becomes a session and a plan; this file runs
// the plan in the mode asked for and reports how it ended.
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "command_line.h"
#include "experiment/batch_command.h"
#include "experiment/checked_output.h"
#include "experiment/design.h"
#include "experiment/interrupt.h"
#include "experiment/memory_budget.h"
#include "experiment/run_table.h"
#include "experiment/table_merge.h"
#include "experiment/table_output.h"
#include "experiment/table_resume.h"
#include "experiment/run_summary.h"
#include "experiment/input_file.h"
#include "experiment/manifest.h"
#include "experiment/parameter_file.h"
#include "experiment/progress.h"
#include "experiment/record.h"
#include "experiment/series.h"
#include "experiment/session.h"
#include "experiment/sweep.h"
#include "experiment/table_writer.h"
#include "experiment/utf8_text.h"
#include "experiment/version.h"
#include "model/int_text.h"

using namespace davrel3;
using namespace davrel3::batch;

namespace {

// A message on standard error, in one line after the program's name. Paths
// and texts it quotes come from the user: bytes that are not UTF-8 are
// replaced, so a terminal or a log shows the message whole.
void Say(const std::string& message) { std::cerr << kProgram << ": " << ValidUtf8(message) << "\n"; }

// An output that could not be written: exit 3 with the reason.
struct WriteError {
  std::string reason;
};

void WriteWholeFile(const std::string& path, const std::string& text, const char* what) {
  try {
    WriteFileAtomically(path, text);
  } catch (const OutputError& error) {
    throw WriteError{std::string("cannot write ") + what + ": " + error.what()};
  }
}

// Whether the runs of a plan may start from different skill profiles: the
// design's conditions, or swept or listed radio items and configurations.
bool ProfilesVaryByRun(const SweepPlan& plan) {
  if (plan.design) return true;
  auto varies = [](const SweepTarget& target) { return target.kind != SweepTarget::Kind::Field; };
  for (const auto& sweep : plan.sweeps) {
    if (varies(sweep.target)) return true;
  }
  if (plan.points) {
    for (const auto& column : plan.points->columns) {
      if (varies(column)) return true;
    }
  }
  return false;
}

// A base session that would be refused before any swept value applies.
void CheckBase(const SessionOptions& base) {
  if (auto refusal = CommitRefusal(base)) {
    throw UsageError{"the parameters before any swept value would be refused: " + *refusal};
  }
}

void SaveParametersAfterOptions(const SessionOptions& options, const std::string& path) {
  InMemoryPanel panel;
  Workbench bench(panel);
  PrepareSession(bench, options);
  bool committed = true;
  try {
    CommitSession(bench, options);
  } catch (const std::exception&) {
    // A refused commit leaves the texts as typed: they are what is saved,
    // without levels.
    committed = false;
  }
  // The levels the committed group's agents then hold, when the commit went.
  std::optional<SkillState> levels;
  if (committed) {
    try {
      ApplySessionLevels(bench, options);
    } catch (const LevelsRefused& refusal) {
      throw UsageError{std::string("--save-parameters: ") + refusal.what()};
    }
    levels = CommittedSkillState(bench.State().System);
  }
  std::string text;
  try {
    text = SaveParameters(panel, levels ? &*levels : nullptr);
  } catch (const std::exception&) {
    // The file is JSON, which holds UTF-8 text only.
    throw UsageError{"--save-parameters: a parameter text is not valid UTF-8 and cannot be saved"};
  }
  WriteWholeFile(path, text, "the parameter file");
}

int RunTable(const CommandLine& line, const SessionOptions& base, const SweepPlan& plan) {
  long long shardK = 1, shardN = 1;
  if (!line.shard.empty()) {
    if (auto error = ParseShard(line.shard, shardK, shardN)) throw UsageError{*error};
  }
  if (!line.resume.empty() && !line.series.empty()) {
    throw UsageError{"--series cannot be continued: --resume takes no --series"};
  }
  long long first = 0, last = 0;
  ShardRange(plan.Runs(), shardK, shardN, first, last);
  const int threads = line.threadsGiven ? line.threads : static_cast<int>(std::thread::hardware_concurrency());
  const PlanShape shape = MeasurePlan(base, plan, first, last, threads);
  // An interrupt before the first run (the measure of a large plan stops at
  // it) ends the table as one after no run: with the header of what was
  // measured, which a resume of a table without runs writes again.
  const bool measured = !Interrupted();
  if (line.dryRun) {
    if (const int signal = InterruptSignal()) {
      std::cerr << kProgram << ": interrupted before the first run\n";
      return InterruptExitStatus(signal);
    }
    DescriptorSink out(STDOUT_FILENO, "standard output");
    out.Write("runs: " + std::to_string(last - first) + "\nrows: " + std::to_string(shape.rows) + "\n");
    out.Finish();
    return 0;
  }

  const auto started = std::chrono::system_clock::now();
  RunTableScan kept;
  long long keptRuns = 0;
  const std::string header = TableHeader(shape.agents) + "\n";
  const LevelsSource levels = SessionLevelsSource(base, ProfilesVaryByRun(plan));
  if (!line.resume.empty()) {
    const ResumingBatch batch{kProgram, line.arguments, measured ? &header : nullptr, first, last, levels};
    keptRuns = CheckResume(line.resume, batch, kept);
  }

  // Where the table goes: standard output, or a file replaced only when the
  // table is whole or was interrupted (with --resume, the file resumed unless
  // --output names another).
  const std::string target = !line.output.empty() ? line.output : line.resume;
  TableOutput output(target);
  std::unique_ptr<AtomicFileSink> series;
  if (!line.series.empty()) series = OpenSeries(line.series);
  OutputSink& sink = output.Sink();
  TableWriter writer(sink, shape.agents);
  // A resumed table keeps what it holds; one without runs gets this batch's
  // header, unless the measure was cut short and the header is not known.
  if (keptRuns > 0 || (!line.resume.empty() && !measured)) {
    KeptSink keep(writer);
    CopyTable(kept, keep);
    writer.CountKept(keptRuns, kept.rows);
  } else {
    // Every slice carries the header: --merge joins them.
    writer.WriteHeader();
  }
  MemoryBudget budget(line.budgetBytes);
  ProgressReport progress(line.progress);
  const long long total = last - first;
  const OrderedRunsOutcome outcome = RunSweep(
      base, plan, first + keptRuns, last, threads, !line.series.empty(), &budget,
      [&](long long, const TableRun& result) {
        writer.WriteRun(result.rows);
        if (series) series->Write(result.series);
      },
      [&](long long done, long long) { progress.Update(keptRuns + done, total); });
  progress.End();
  const long long wanted = std::min<long long>(threads, last - first - keptRuns);
  if (outcome.threads > 0 && outcome.threads < wanted) {
    std::cerr << kProgram << ": only " << outcome.threads << " of " << wanted
              << " threads could be started; the runs go on with " << outcome.threads << "\n";
  }
  const long long written = keptRuns + outcome.emitted;
  const bool complete = written == total;
  sink.Finish();
  // The series holds exactly the runs the table holds, interrupted or not.
  if (series) series->Commit();
  const bool file = output.ToFile();
  if (file) {
    TableManifest manifest = BatchManifest(writer, kProgram, line.arguments, started, target);
    manifest.complete = complete;
    manifest.planRuns = plan.Runs();
    manifest.firstRun = first + 1;
    manifest.lastRun = last;
    manifest.memoryBudget = line.budgetBytes;
    manifest.levels = levels;
    output.Commit(manifest);
  }
  // A run without a row ends the table before it, as an interrupt does,
  // unless an interrupt had ended it earlier still.
  if (!complete && outcome.unrecorded && outcome.unrecorded->run == first + written) {
    std::string message = "the table is incomplete: " + UnrecordedRunText(*outcome.unrecorded) + "; it holds the " +
                          std::to_string(written) + " runs before it, of " + std::to_string(total);
    if (file) message += "; " + target + " holds them (--resume " + target + " continues it)";
    Say(message);
    return 1;
  }
  if (!complete) {
    const int signal = outcome.signal != 0 ? outcome.signal : SIGINT;
    std::string message = "interrupted after run " + std::to_string(written) + " of " + std::to_string(total);
    if (file) message += "; " + target + " holds them (--resume " + target + " continues it)";
    Say(message);
    return InterruptExitStatus(signal);
  }
  return 0;
}

int RunSingleMode(const CommandLine& line, const SessionOptions& options) {
  DescriptorSink out(STDOUT_FILENO, "standard output");
  std::string seriesText = SeriesHeader() + "\n";
  int number = 0;
  bool allFinished = true;
  // Each run goes out as it ends; the records stay one JSON document.
  if (line.json) out.Write("{\"runs\":[");
  RunSession(options, line.json, !line.series.empty(), [&](SessionRun& run) {
    ++number;
    allFinished = allFinished && run.outcome.status == RunStatus::Finished;
    if (!line.series.empty()) seriesText += run.series;
    if (line.json) {
      out.Write(number > 1 ? "," + run.record : run.record);
    } else {
      out.Write(RunSummary(run, number));
    }
  });
  if (line.json) out.Write("]}\n");
  out.Finish();
  if (!line.series.empty()) WriteWholeFile(line.series, seriesText, "the series");
  if (const int signal = InterruptSignal()) {
    std::cerr << kProgram << ": interrupted after run " << number << " of " << options.runs << "\n";
    return InterruptExitStatus(signal);
  }
  return allFinished ? 0 : 1;
}

// --merge: the slices of one batch joined into its whole table, or nothing
// and the reason. An interrupt stops it after the slices were checked
// (nothing written yet) or, with --output, after they were copied (the file
// is then not put in place, so FILE stays as it was); a table already copied
// whole to standard output ends as usual.
int RunMerge(const CommandLine& line) {
  const SlicesToJoin slices = CheckSlices(line.merge);
  const std::string unchanged = line.output.empty() ? "" : "; " + line.output + " was left as it was";
  if (const int signal = InterruptSignal()) {
    std::cerr << kProgram << ": interrupted before the slices were joined; nothing was written" << unchanged << "\n";
    return InterruptExitStatus(signal);
  }
  const auto started = std::chrono::system_clock::now();
  TableOutput output(line.output);
  TableWriter writer(output.Sink(), 0);
  KeptSink keep(writer);
  WriteMerge(slices.tables, slices.plan, keep);
  writer.CountKept(slices.runs, slices.rows);
  output.Sink().Finish();
  if (output.ToFile()) {
    if (const int signal = InterruptSignal()) {
      std::cerr << kProgram << ": interrupted while the slices were joined" << unchanged << "\n";
      return InterruptExitStatus(signal);
    }
    TableManifest manifest = BatchManifest(writer, kProgram, line.arguments, started, line.output);
    manifest.levels = slices.levels;
    if (slices.planRuns) {
      manifest.planRuns = *slices.planRuns;
      manifest.firstRun = 1;
      manifest.lastRun = *slices.planRuns;
    }
    output.Commit(manifest);
  }
  return 0;
}

int Main(int argc, char** argv) {
  // A reader that goes away (a pipe into `head`) is a failed write like any
  // other: exit 3 with the reason, rather than death by SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
  CLI::App app{"Davrel3 headless runner: runs the simulation without a window and prints its results."};
  app.set_help_flag("-h,--help", "Print this help and exit");
  CommandLine line;
  for (int i = 0; i < argc; ++i) line.arguments.emplace_back(argv[i]);

  const GivenOptions given = DefineOptions(app, line);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // The parser's messages may quote an argument: mended like every other.
    std::ostringstream errors;
    const int code = app.exit(e, std::cout, errors);
    std::cerr << ValidUtf8(errors.str());
    std::cout.flush();
    if (code == 0 && !std::cout) {
      std::cerr << kProgram << ": cannot write to standard output: " << std::strerror(errno) << "\n";
      return 3;
    }
    return code == 0 ? 0 : 2;
  }
  line.runsGiven = given.runs->count() > 0;
  line.threadsGiven = given.threads->count() > 0;
  if (line.version) {
    DescriptorSink out(STDOUT_FILENO, "standard output");
    out.Write(std::string(kProgram) + " " + ProgramVersion() + "\n");
    out.Finish();
    return 0;
  }
  InstallInterruptHandlers();
  if (!line.merge.empty()) {
    for (const auto* option : app.get_options()) {
      const std::string name = option->get_name();
      if (option->count() > 0 && name != "--merge" && name != "--output") {
        throw UsageError{"--merge joins tables: it takes only --output, not " + name};
      }
    }
    return RunMerge(line);
  }
  line.budgetBytes = DefaultMemoryBudget();
  if (given.budget->count() > 0) {
    if (auto error = ParseByteSize(line.memoryBudget, line.budgetBytes)) throw UsageError{"--memory-budget: " + *error};
  }

  const SessionOptions options = SessionFrom(line);
  const SweepPlan plan = PlanFrom(line);
  const bool table = line.design || !plan.sweeps.empty() || plan.points;
  CheckMode(line, table);
  if (table) {
    if (auto error = CheckPlan(options, plan)) throw UsageError{*error};
    CheckBase(options);
  }
  if (!line.saveParameters.empty()) SaveParametersAfterOptions(options, line.saveParameters);
  return table ? RunTable(line, options, plan) : RunSingleMode(line, options);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const UsageError& error) {
    Say(error.reason);
    return 2;
  } catch (const WriteError& error) {
    Say(error.reason);
    return 3;
  } catch (const TableRefused& error) {
    Say(error.what());
    return 2;
  } catch (const OutputError& error) {
    Say(error.what());
    return 3;
  } catch (const InputFileError& error) {
    Say(error.what());
    return 2;
  } catch (const std::bad_alloc&) {
    Say("out of memory");
    return 2;
  } catch (const std::exception& error) {
    Say(error.what());
    return 2;
  }
}
