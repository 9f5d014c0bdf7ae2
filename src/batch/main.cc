// davrel3-batch: the headless runner. It drives the same workbench as the
// window, so experiments can be scripted and every number checked.
#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>

#include "batch/record.h"
#include "batch/session.h"
#include "model/int_text.h"

using namespace davrel3;

namespace {

void PrintSummary(const std::vector<SessionRun>& runs, const Workbench* /*unused*/) {
  int number = 1;
  for (const auto& run : runs) {
    std::cout << "Run " << number++ << ": " << RunStatusName(run.outcome.status) << "\n";
    if (!run.outcome.message.empty()) std::cout << "  " << run.outcome.message << "\n";
    std::cout << "  Timesteps per task:";
    if (run.outcome.timesteps.empty()) std::cout << " none";
    for (long long t : run.outcome.timesteps) std::cout << " " << t;
    std::cout << "\n";
    const auto& grid = run.record["work_time_grid"];
    if (grid.empty()) continue;
    std::vector<std::size_t> widths;
    for (const auto& row : grid) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (widths.size() <= c) widths.push_back(0);
        widths[c] = std::max(widths[c], row[c].get<std::string>().size());
      }
    }
    std::cout << "  Work times per agent and task:\n";
    for (const auto& row : grid) {
      std::cout << "   ";
      for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string text = row[c].get<std::string>();
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

  if (design) {
    const auto rows = RunDesign(options);
    const int agents = rows.empty() ? 0 : static_cast<int>(rows.front().agentTimes.size());
    std::cout << DesignCsvHeader(agents) << "\n";
    bool allFinished = true;
    for (const auto& row : rows) {
      std::cout << DesignCsvRow(row) << "\n";
      allFinished = allFinished && row.status == RunStatus::Finished;
    }
    return allFinished ? 0 : 1;
  }

  const auto runs = RunSession(options, true);
  if (json) {
    nlohmann::ordered_json out;
    out["runs"] = nlohmann::ordered_json::array();
    for (const auto& run : runs) out["runs"].push_back(run.record);
    std::cout << out.dump() << "\n";
  } else {
    PrintSummary(runs, nullptr);
  }
  for (const auto& run : runs) {
    if (run.outcome.status != RunStatus::Finished) return 1;
  }
  return 0;
}
