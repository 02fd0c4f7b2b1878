// dustpan killed with SIGKILL at random moments while trashing 20,000 items: after every kill
// each item is at its place or in the trash with a complete record, and the next runs finish
// the job.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>

#include "support/trash_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kPerFolder = 200;  // 20,000 items
constexpr int kKills = 50;

class CrashSafetyTest : public MountedTrashTest {
 protected:
  void SetUp() override {
    MountedTrashTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    fs_ = mount_tmpfs("fs");  // fast to fill and empty 50 times
    home_ = fs_ + "/home";
    trash_ = home_ + "/.local/share/Trash";
  }

  // Fresh items, every one named in the list.
  void make_items() {
    fs::remove_all(fs_ + "/work");
    fs::remove_all(home_);
    fs::create_directories(home_);
    std::string list;
    items_.clear();
    for (int f = 0; f < kFolders; ++f) {
      const std::string folder = fs_ + "/work/folder" + std::to_string(f);
      fs::create_directories(folder);
      for (int i = 0; i < kPerFolder; ++i) {
        // The same names in every folder, so the run also works through name collisions.
        const std::string item = folder + "/item " + std::to_string(i);
        ASSERT_TRUE(write_file(item, item));
        items_.insert(item);
        list += item + "\n";
      }
    }
    ASSERT_TRUE(write_file(fs_ + "/list", list));
  }

  ProcessResult dustpan(const std::vector<std::string>& args) {
    return run_dustpan(args, home_, fs_);
  }

  // Returns the items still at their place; fails the test for any item lost or unrecorded.
  std::vector<std::string> check_nothing_lost(int run, std::size_t* orphans) {
    std::set<std::string> in_trash;
    for (const auto& [name, entry] : entries(trash_)) {
      EXPECT_TRUE(is_valid_record(entry.record)) << "run " << run << ": " << name;
      EXPECT_EQ(read_file(trash_ + "/files/" + name), entry.path) << "run " << run;
      in_trash.insert(entry.path);
    }
    *orphans = record_names(trash_).size() - in_trash.size();
    std::vector<std::string> remaining;
    for (const std::string& item : items_) {
      const bool at_place = exists(item);
      EXPECT_NE(at_place, in_trash.count(item) == 1) << "run " << run << ": " << item;
      if (at_place) remaining.push_back(item);
    }
    return remaining;
  }

  std::string fs_, home_, trash_;
  std::set<std::string> items_;
};

TEST_F(CrashSafetyTest, KilledAtAnyMomentLosesNothing) {
  // How long an undisturbed run takes sets the range of kill times.
  make_items();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(dustpan({"trash", fs_ + "/list"}).out, "ok 0\n");
  const auto full = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);

  std::mt19937 random(20261211);
  std::uniform_int_distribution<long> moment(0, full.count());
  std::size_t partial_runs = 0;
  for (int run = 0; run < kKills; ++run) {
    make_items();
    const int pid =
        start_process({DUSTPAN_BINARY, "trash", fs_ + "/list"}, test_environment(home_), fs_);
    ASSERT_GT(pid, 0);
    ::usleep(static_cast<useconds_t>(moment(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    std::size_t orphans = 0;
    const std::vector<std::string> remaining = check_nothing_lost(run, &orphans);
    if (!remaining.empty() && remaining.size() < items_.size()) ++partial_runs;
    // A record left without its item (complete, or cut short by a kill inside its one write)
    // must not trouble other trash tools: they still list every complete record.
    if (orphans > 0 || run % 10 == 0) {
      const ProcessResult listed = run_process({"trash-list"}, test_environment(home_), fs_);
      if (listed.status != 127) {
        std::size_t complete = 0;
        for (const std::string& record : record_names(trash_)) {
          complete += is_valid_record(read_file(trash_ + "/info/" + record));
        }
        EXPECT_EQ(listed.status, 0) << "run " << run;
        EXPECT_EQ(static_cast<std::size_t>(std::count(listed.out.begin(), listed.out.end(), '\n')),
                  complete)
            << "run " << run;
      }
    }
    // The caller's retry of what is left, then an empty, both succeed and leave nothing.
    std::string rest;
    for (const std::string& item : remaining) rest += item + "\n";
    ASSERT_TRUE(write_file(fs_ + "/rest", rest));
    EXPECT_EQ(dustpan({"trash", fs_ + "/rest"}).out, "ok 0\n") << "run " << run;
    EXPECT_EQ(dustpan({"empty"}).out, "ok 0\n") << "run " << run;
    EXPECT_TRUE(entries(trash_).empty());
    EXPECT_TRUE(record_names(trash_).empty());
    if (HasFailure()) return;
  }
  // The kills must really have landed mid-run, or this proved nothing.
  EXPECT_GT(partial_runs, static_cast<std::size_t>(kKills / 4));
}

}  // namespace
