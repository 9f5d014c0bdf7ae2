// Starts davrel3-batch as a child process with its standard output and error
// in files, so a test can watch what it has written so far, send it a signal
// and collect its exit status.
#pragma once

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace davrel3::testing {

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder of its own for one runner test, named after it and removed with
// it. (Not the level tests' ScratchFolder: both live in one test program.)
class RunnerFolder {
 public:
  explicit RunnerFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("davrel3-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~RunnerFolder() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::size_t Files() const {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) n += entry.is_regular_file() ? 1 : 0;
    return n;
  }
  // The first file whose name starts with `prefix`, or "".
  std::string Find(const std::string& prefix) const {
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) return entry.path().string();
    }
    return "";
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class BatchProcess {
 public:
  // Starts the runner with `args`; standard output goes to `outPath`,
  // standard error to `errPath`.
  BatchProcess(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath)
      : out_(outPath), err_(errPath) {
    std::vector<std::string> all{DAVREL3_BATCH_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~BatchProcess() {
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  BatchProcess(const BatchProcess&) = delete;
  BatchProcess& operator=(const BatchProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // Whether the process has installed handlers of its own for SIGINT and
  // SIGTERM (its "SigCgt" mask in /proc), so that a signal sent now reaches
  // the runner rather than ends it.
  bool CatchesInterrupts() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
      const unsigned long long wanted = (1ULL << (SIGINT - 1)) | (1ULL << (SIGTERM - 1));
      return (mask & wanted) == wanted;
    }
    return false;
  }

  // Waits (at most `seconds`) until `ready` holds; false if the process
  // ended first or the time ran out.
  bool WaitFor(const std::function<bool()>& ready, double seconds = 120) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (ready()) return true;
      if (Ended()) return ready();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  void Signal(int signal) { ::kill(pid_, signal); }

  // The exit status once it has ended (-1 if it was killed by a signal or
  // did not end within `seconds`, when it is killed).
  int Wait(double seconds = 300) {
    if (!WaitFor([] { return false; }, seconds) && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status_, 0);
      done_ = true;
      return -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

  std::string Out() const { return Slurp(out_); }
  std::string Err() const { return Slurp(err_); }

 private:
  bool Ended() {
    if (done_) return true;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) done_ = true;
    return done_;
  }

  std::string out_, err_;
  pid_t pid_ = -1;
  int status_ = 0;
  bool done_ = false;
};

// Lines of a text that end in a line break (a last line without one is not
// counted).
inline long long WholeLines(const std::string& text) {
  long long n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace davrel3::testing
