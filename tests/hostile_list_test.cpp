// List files no caller should hand over, and some a careless one might: each gets one status
// line at once, and nothing hangs, runs away with memory or trashes what was not named.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "support/label_name.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct HostileCase {
  const char* label;
  std::string (*make)(const TempDir&);  // returns the list's path
};

class HostileListTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileListTest, IsAReadErrorAtOnce) {
  TempDir dir;
  const std::string list = GetParam().make(dir);
  const auto start = Clock::now();
  const ProcessResult r = run_dustpan({"trash", list}, dir / "home");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(r.out, "error read\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, HostileListTest,
    ::testing::Values(
        HostileCase{"fifo_without_writer",
                    [](const TempDir& d) {
                      ::mkfifo((d / "fifo").c_str(), 0600);
                      return d / "fifo";
                    }},
        HostileCase{"socket",
                    [](const TempDir& d) {
                      const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
                      sockaddr_un address{};
                      address.sun_family = AF_UNIX;
                      const std::string path = d / "socket";
                      std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
                      ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
                      return path;
                    }},
        HostileCase{"dev_zero", [](const TempDir&) { return std::string("/dev/zero"); }},
        HostileCase{"dev_urandom", [](const TempDir&) { return std::string("/dev/urandom"); }},
        HostileCase{"directory", [](const TempDir& d) { return d.path(); }},
        HostileCase{"sparse_4_gib",
                    [](const TempDir& d) {
                      // Refused from its size alone: reading it would take seconds and 16 GiB.
                      const int fd = ::open((d / "sparse").c_str(), O_CREAT | O_WRONLY, 0600);
                      [[maybe_unused]] const int sized = ::ftruncate(fd, (4ll << 30) + 10);
                      ::close(fd);
                      return d / "sparse";
                    }},
        HostileCase{"sparse_2_gib",
                    [](const TempDir& d) {
                      const int fd = ::open((d / "sparse").c_str(), O_CREAT | O_WRONLY, 0600);
                      [[maybe_unused]] const int sized = ::ftruncate(fd, 2ll << 30);
                      ::close(fd);
                      return d / "sparse";
                    }}),
    LabelName());

TEST(HostileListTest, SymbolicLinkToAListIsFollowed) {
  TempDir dir;
  ASSERT_TRUE(write_file(dir / "real-list", "\n\n"));
  ASSERT_EQ(::symlink("real-list", (dir / "list").c_str()), 0);
  EXPECT_EQ(run_dustpan({"trash", dir / "list"}, dir / "home").out, "ok 0\n");
}

TEST(HostileListTest, HundredThousandMissingItemsAnswerQuicklyAndCreateNothing) {
  TempDir dir;
  std::string list;
  for (int i = 0; i < 100000; ++i) list += dir / ("missing-" + std::to_string(i)) + "\n";
  ASSERT_TRUE(write_file(dir / "list", list));
  const ProcessResult r = run_dustpan({"trash", dir / "list"}, dir / "home");
  EXPECT_EQ(r.out, "error 2\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(exists(dir / "home/.local"));
}

// A list that another process keeps changing: whatever the reader catches, one line.
TEST(HostileListTest, ListChangingWhileReadGivesOneLine) {
  TempDir dir;
  ASSERT_TRUE(write_file(dir / "list", ""));
  // One writer appends, starting over at 2,000 lines so that the test's cost stays bounded;
  // the other truncates and rewrites.
  for (const char* writer :
       {"while :; do : > \"$0/list\"; for i in $(seq 2000); do echo \"$0/missing\" >> "
        "\"$0/list\"; done; done",
        "while :; do : > \"$0/list\"; seq -f \"$0/x%g\" 1 500 > \"$0/list\"; done"}) {
    const int pid = start_process({"sh", "-c", writer, dir.path()}, {"PATH=/usr/bin:/bin"}, "");
    for (int run = 0; run < 20; ++run) {
      const ProcessResult r = run_dustpan({"trash", dir / "list"}, dir / "home");
      const bool one_line = !r.out.empty() && r.out.find('\n') == r.out.size() - 1;
      EXPECT_TRUE(one_line) << r.out;
      EXPECT_TRUE(r.out == "ok 0\n" || r.out == "error 2\n" || r.out == "error read\n") << r.out;
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
}

}  // namespace
