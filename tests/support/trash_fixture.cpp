#include "support/trash_fixture.h"

#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::vector<std::string> list_folder(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void skip_missing(const std::string& program) {
  GTEST_SKIP() << program << " is not installed";
}

bool required(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value && std::string(value) != "0";
}

}  // namespace

std::string percent_decode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool is_valid_record(const std::string& record) {
  static const std::regex kRecord(
      "\\[Trash Info\\]\nPath=[A-Za-z0-9._~/%-]+\n"
      "DeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\n");
  return std::regex_match(record, kRecord);
}

// A per-mount trash of this user outside the test's folder: "empty" would empty it.
std::string foreign_mount_trash(const std::string& own_root) {
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  const std::string uid = std::to_string(::geteuid());
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mount_point;
    fields >> id >> parent >> device >> root >> mount_point;
    std::string unescaped;
    for (std::size_t i = 0; i < mount_point.size(); ++i) {
      if (mount_point[i] == '\\' && i + 3 < mount_point.size()) {
        unescaped += static_cast<char>(std::stoi(mount_point.substr(i + 1, 3), nullptr, 8));
        i += 3;
      } else {
        unescaped += mount_point[i];
      }
    }
    if (unescaped.rfind(own_root, 0) == 0) continue;
    const std::string top = unescaped == "/" ? "" : unescaped;
    for (const std::string& trash : {top + "/.Trash-" + uid, top + "/.Trash/" + uid}) {
      if (exists(trash)) return trash;
    }
  }
  return "";
}

void TrashTest::SetUp() {
  const std::string foreign = foreign_mount_trash(root_.path());
  if (!foreign.empty()) {
    GTEST_SKIP() << "a real trash exists at " << foreign
                 << "; emptying in this test would empty it too, so the test does not run";
  }
  ASSERT_EQ(::mkdir(home().c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(work().c_str(), 0700), 0);
}

ProcessResult TrashTest::trash(const std::vector<std::string>& paths) {
  std::string content;
  for (const auto& p : paths) content += p + "\n";
  return trash_list_file(content);
}

ProcessResult TrashTest::trash_list_file(const std::string& list_content) {
  const std::string list = root_ / "list.txt";
  EXPECT_TRUE(write_file(list, list_content));
  return run_dustpan({"trash", list}, home(), work());
}

ProcessResult TrashTest::empty() {
  return run_dustpan({"empty"}, home(), work());
}

std::map<std::string, TrashEntry> TrashTest::entries(const std::string& trash) const {
  std::map<std::string, TrashEntry> found;
  for (const std::string& name : list_folder(trash + "/files")) {
    TrashEntry entry;
    entry.record = read_file(trash + "/info/" + name + ".trashinfo");
    const std::size_t at = entry.record.find("\nPath=");
    if (at != std::string::npos) {
      const std::size_t end = entry.record.find('\n', at + 1);
      entry.path = percent_decode(entry.record.substr(at + 6, end - at - 6));
    }
    found[name] = entry;
  }
  return found;
}

std::vector<std::string> TrashTest::record_names(const std::string& trash) const {
  return list_folder(trash + "/info");
}

ProcessResult TrashTest::peer(const std::vector<std::string>& argv, const std::string& input) {
  if (!have_program(argv[0])) {
    if (required("DUSTPAN_REQUIRE_PEERS")) {
      ADD_FAILURE() << argv[0] << " is required but not installed";
    } else {
      skip_missing(argv[0]);
    }
    return {};
  }
  return run_process(argv, test_environment(home()), work(), input);
}

std::vector<std::string> TrashTest::trash_list() {
  const ProcessResult listed = peer({"trash-list"});
  std::vector<std::string> paths;
  std::size_t start = 0;
  // Lines read "YYYY-MM-DD hh:mm:ss PATH".
  while (start < listed.out.size()) {
    std::size_t end = listed.out.find('\n', start);
    if (end == std::string::npos) end = listed.out.size();
    const std::string line = listed.out.substr(start, end - start);
    if (line.size() > 20) paths.push_back(line.substr(20));
    start = end + 1;
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

void MountedTrashTest::SetUp() {
  TrashTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    if (required("DUSTPAN_REQUIRE_MOUNTS")) {
      FAIL() << "mounting is required but not permitted here";
    }
    GTEST_SKIP() << "mounting file systems is not permitted here (needs root)";
  }
}

void MountedTrashTest::TearDown() {
  for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
}

std::string MountedTrashTest::mount_tmpfs(const std::string& name, const std::string& options) {
  const std::string target = root_ / name;
  ::mkdir(target.c_str(), 0755);
  const std::string data = "mode=0755" + (options.empty() ? "" : "," + options);
  EXPECT_EQ(::mount("dustpan-test", target.c_str(), "tmpfs", 0, data.c_str()), 0) << target;
  mounted_.push_back(target);
  return target;
}
