// Output: a write that does not reach its reader is an error with a reason,
// never success; a table written to a file appears under its name only
// whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "experiment/checked_output.h"

namespace {

using namespace davrel3;
namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path FreshFolder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / ("davrel3-output-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

std::size_t FilesIn(const fs::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++n;
  return n;
}

// Bytes of a recognisable pattern, so a lost or repeated piece shows.
std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  return data;
}

extern "C" void IgnoreSignal(int) {}

TEST(CheckedOutput, AFullDeviceIsAnErrorThatSaysSo) {
  const int fd = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  try {
    WriteAll(fd, "run,task\n", "standard output");
    FAIL() << "a write to /dev/full was reported as done";
  } catch (const OutputError& e) {
    EXPECT_STREQ(e.what(), "cannot write to standard output: No space left on device");
  }
  ::close(fd);
}

TEST(CheckedOutput, InterruptedAndShortWritesAreContinuedWhereTheyStopped) {
  // A signal handler without SA_RESTART makes write() return early (with the
  // part written so far, or EINTR) while the reader drains the pipe slowly.
  struct sigaction action{}, previous{};
  action.sa_handler = IgnoreSignal;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const std::string data = Pattern(std::size_t{4} << 20);
  std::string received;
  std::thread reader([&] {
    char buffer[1000];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) != 0) {
      if (got > 0) received.append(buffer, static_cast<std::size_t>(got));
    }
  });
  std::atomic<bool> writing{true};
  const pthread_t writer = pthread_self();
  std::thread interrupter([&] {
    while (writing) {
      pthread_kill(writer, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  WriteAll(pipeFds[1], data, "a pipe");
  writing = false;
  interrupter.join();
  ::close(pipeFds[1]);
  reader.join();
  ::close(pipeFds[0]);
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(received.size(), data.size());
  EXPECT_TRUE(received == data);
}

TEST(CheckedOutput, ANonBlockingDescriptorStillTakesEverything) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  ASSERT_EQ(::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK), 0);
  const std::string data = Pattern(std::size_t{1} << 20);
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
      received.append(buffer, static_cast<std::size_t>(got));
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  DescriptorSink sink(pipeFds[1], "a pipe");
  sink.Write(data);
  sink.Finish();
  ::close(pipeFds[1]);
  reader.join();
  ::close(pipeFds[0]);
  EXPECT_TRUE(received == data);
}

TEST(CheckedOutput, AFileAppearsUnderItsNameOnlyWhenComplete) {
  const fs::path folder = FreshFolder("atomic");
  const fs::path table = folder / "table.csv";
  std::ofstream(table) << "the old table\n";
  {
    AtomicFileSink sink(table.string());
    sink.Write("run,task\n");
    sink.Write("1,1\n");
    EXPECT_EQ(Slurp(table), "the old table\n") << "the final name changed before the commit";
    EXPECT_TRUE(fs::exists(sink.TemporaryPath()));
    EXPECT_EQ(fs::path(sink.TemporaryPath()).parent_path(), folder) << "the temporary file is not beside it";
    sink.Commit();
  }
  EXPECT_EQ(Slurp(table), "run,task\n1,1\n");
  EXPECT_EQ(FilesIn(folder), 1u) << "a temporary file was left behind";
  // Readable as any file the user writes, not only by the owner.
  EXPECT_NE(fs::status(table).permissions() & fs::perms::group_read, fs::perms::none);
  fs::remove_all(folder);
}

TEST(CheckedOutput, AnAbandonedFileLeavesTheOldOneAndNoTrace) {
  const fs::path folder = FreshFolder("abandoned");
  const fs::path table = folder / "table.csv";
  std::ofstream(table) << "kept\n";
  {
    AtomicFileSink sink(table.string());
    sink.Write("half a tab");
  }
  EXPECT_EQ(Slurp(table), "kept\n");
  EXPECT_EQ(FilesIn(folder), 1u);
  {
    AtomicFileSink sink((folder / "new.csv").string());
    sink.Write("x");
  }
  EXPECT_FALSE(fs::exists(folder / "new.csv"));
  EXPECT_EQ(FilesIn(folder), 1u);
  fs::remove_all(folder);
}

TEST(CheckedOutput, ANameThatCannotHoldATableIsRefusedBeforeAnythingIsWritten) {
  const fs::path folder = FreshFolder("refused");
  for (const std::string& path :
       {folder.string(), std::string("/dev/null"), (folder / "no-such-folder" / "t.csv").string(), std::string()}) {
    try {
      AtomicFileSink sink(path);
      ADD_FAILURE() << "accepted " << path;
    } catch (const OutputError& e) {
      const std::string message = e.what();
      EXPECT_FALSE(message.empty());
      if (!path.empty()) {
        EXPECT_NE(message.find(path), std::string::npos) << message;
      }
    }
  }
  EXPECT_EQ(FilesIn(folder), 0u);
  fs::remove_all(folder);
}

}  // namespace
