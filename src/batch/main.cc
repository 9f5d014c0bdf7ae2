// davrel3-batch: the headless runner. It drives the same workbench as the
// window, so experiments can be scripted and every number checked.
#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>

#include "experiment/record.h"
#include "experiment/session.h"
#include "experiment/sweep.h"

#include <thread>
#include <unistd.h>
#include "model/int_text.h"

using namespace davrel3;

namespace {

void PrintSummary(const std::vector<SessionRun>& runs) {
  int number = 1;
  for (const auto& run : runs) {
    std::cout << "Run " << number++ << ": " << RunStatusName(run.outcome.status) << "\n";
    if (!run.outcome.message.empty()) std::cout << "  " << run.outcome.message << "\n";
    std::cout << "  Timesteps per task:";
    if (run.outcome.timesteps.empty()) std::cout << " none";
    for (long long t : run.outcome.timesteps) std::cout << " " << t;
    std::cout << "\n";
    const auto& grid = run.workTimeGrid;
    if (grid.empty()) continue;
    std::vector<std::size_t> widths;
    for (const auto& row : grid) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (widths.size() <= c) widths.push_back(0);
        widths[c] = std::max(widths[c], row[c].size());
      }
    }
    std::cout << "  Work times per agent and task:\n";
    for (const auto& row : grid) {
      std::cout << "   ";
      for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string& text = row[c];
        if (c == 0) {
          std::cout << " " << std::left << std::setw(static_cast<int>(widths[c])) << text;
        } else {
          std::cout << "  " << std::right << std::setw(static_cast<int>(widths[c])) << text;
        }
      }
      std::cout << "\n";
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Davrel3 headless runner: runs the simulation without a window and prints its results."};
  app.set_help_flag("-h,--help", "Print this help and exit");

  SessionOptions options;
  std::string config, fit, newcomer, skills, levels;
  std::vector<std::string> sets;
  bool json = false;
  bool design = false;

  std::vector<std::string> configNames;
  for (const auto& c : Configurations()) configNames.push_back(c.name);
  app.add_option("--config", config, "Apply a named configuration after start-up")
      ->check(CLI::IsMember(configNames));
  app.add_option("--fit", fit, "Select the fit item")->check(CLI::IsMember({"nofit", "fit"}));
  app.add_option("--newcomer", newcomer, "Select the newcomer item")
      ->check(CLI::IsMember({"none", "specialist", "generalist"}));
  app.add_option("--skills", skills, "Select the newcomer's skills item")->check(CLI::IsMember({"low", "mod", "high"}));
  app.add_option("--set", sets, "Write TEXT into the edit of FIELD (repeatable, in order)")
      ->type_name("FIELD=TEXT")
      ->allow_extra_args(false)
      ->take_all();
  app.add_flag("--define", options.define, "Press Define (otherwise OK commits any --set)");
  app.add_option("--runs", options.runs, "Press START this many times, with OK before each further run")
      ->check(CLI::Range(1, 1000000));
  app.add_option("--levels", levels, "Give the committed group these levels before START")
      ->check(CLI::IsMember({"rotation"}));
  app.add_flag("--json", json, "Print the full record of every run as JSON");
  app.add_flag("--design", design, "Run the 18 conditions of the experimental design and print CSV");
  std::vector<std::string> sweepTexts;
  std::string shardText;
  int threads = static_cast<int>(std::thread::hardware_concurrency());
  app.add_option("--sweep", sweepTexts,
                 "Sweep a parameter over FROM..TO by STEP (repeatable: the full factorial); prints CSV, "
                 "one row per run and task")
      ->type_name("FIELD=FROM:TO:STEP")
      ->allow_extra_args(false)
      ->take_all();
  app.add_option("--threads", threads, "Runs in parallel for --sweep and --design (default: all cores)")
      ->check(CLI::Range(1, 1024));
  app.add_option("--shard", shardText, "Run only the K-th of N equal slices of a sweep or design")
      ->type_name("K/N");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }

  if (!config.empty()) options.config = config;
  static const std::map<std::string, int> kItems = {{"nofit", 0},      {"fit", 1},  {"none", 0},
                                                     {"specialist", 1}, {"generalist", 2},
                                                     {"low", 0},        {"mod", 1}, {"high", 2}};
  if (!fit.empty()) options.fit = kItems.at(fit);
  if (!newcomer.empty()) options.newcomer = kItems.at(newcomer);
  if (!skills.empty()) options.skills = kItems.at(skills);
  options.levelsRotation = levels == "rotation";
  for (const auto& item : sets) {
    const auto eq = item.find('=');
    const auto field = eq == std::string::npos ? std::nullopt : FieldFromName(item.substr(0, eq));
    if (!field || *field == Field::EntTurnAgent) {
      std::cerr << "davrel3-batch: --set takes FIELD=TEXT with FIELD one of NrofAg, NrofSkills, InhPar, ExcPar, "
                   "ExpRate, MotRate, LearnInt, MotMax, MotThresh, Bore, Rest, Fair, ExpMax, ExpThresh, "
                   "LearnSpeed, ForgetSpeed, Cycle, Action, Var, NrOfTasks, Dur; got '"
                << item << "'\n";
      return 2;
    }
    options.sets.emplace_back(*field, item.substr(eq + 1));
  }

  SweepPlan plan;
  plan.design = design;
  long long points = 1;
  for (const auto& text : sweepTexts) {
    Sweep sweep;
    if (auto error = ParseSweep(text, sweep)) {
      std::cerr << "davrel3-batch: " << *error << "\n";
      return 2;
    }
    points *= sweep.Count();
    if (points > 1000000000LL) {
      std::cerr << "davrel3-batch: the sweep has more than 1000000000 points\n";
      return 2;
    }
    plan.sweeps.push_back(sweep);
  }
  long long shardK = 1, shardN = 1;
  if (!shardText.empty()) {
    if (auto error = ParseShard(shardText, shardK, shardN)) {
      std::cerr << "davrel3-batch: " << *error << "\n";
      return 2;
    }
    if (plan.sweeps.empty() && !design) {
      std::cerr << "davrel3-batch: --shard needs --sweep or --design\n";
      return 2;
    }
  }
  if (!plan.sweeps.empty() && (json || options.runs != 1)) {
    std::cerr << "davrel3-batch: --sweep prints CSV, one START per run: it takes neither --json nor --runs\n";
    return 2;
  }

  if (design || !plan.sweeps.empty()) {
    const bool sweeping = !plan.sweeps.empty();
    const int agents = SweepAgentColumns(options, plan);
    long long first = 0, last = 0;
    ShardRange(plan.Runs(), shardK, shardN, first, last);
    // Slices concatenate into one table: only the first carries the header.
    if (shardK == 1) std::cout << (sweeping ? SweepCsvHeader(plan, agents) : DesignCsvHeader(agents)) << "\n";
    const bool showProgress = isatty(STDERR_FILENO) != 0;
    bool allFinished = true;
    RunSweep(
        options, plan, first, last, threads,
        [&](long long run, const std::vector<DesignRow>& rows) {
          for (const auto& row : rows) {
            std::cout << (sweeping ? SweepCsvRow(plan, run, row, agents) : DesignCsvRow(row, agents)) << "\n";
            allFinished = allFinished && row.status == RunStatus::Finished;
          }
        },
        [&](long long done, long long total) {
          if (showProgress) std::cerr << "\rrun " << done << " of " << total << std::flush;
        });
    if (showProgress) std::cerr << "\n";
    return allFinished ? 0 : 1;
  }

  const auto runs = RunSession(options, json);
  if (json) {
    nlohmann::ordered_json out;
    out["runs"] = nlohmann::ordered_json::array();
    for (const auto& run : runs) out["runs"].push_back(run.record);
    std::cout << out.dump() << "\n";
  } else {
    PrintSummary(runs);
  }
  for (const auto& run : runs) {
    if (run.outcome.status != RunStatus::Finished) return 1;
  }
  return 0;
}
