// A throwaway user for trash tests: its own HOME and XDG_DATA_HOME inside a temporary folder,
// so no test ever touches the real user's trash. Helpers read the trash back the way another
// trash tool would.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

struct TrashEntry {
  std::string record;  // the whole .trashinfo text
  std::string path;    // its Path=, percent-decoded
};

class TrashTest : public ::testing::Test {
 public:
  std::string home() const { return root_ / "home"; }
  std::string data_home() const { return home() + "/.local/share"; }
  std::string home_trash() const { return data_home() + "/Trash"; }
  std::string work() const { return root_ / "work"; }
  std::string path(const std::string& name) const { return work() + "/" + name; }

 protected:
  void SetUp() override;

  // Writes the list (one path per line) and runs "dustpan trash" from work().
  ProcessResult trash(const std::vector<std::string>& paths);
  ProcessResult trash_list_file(const std::string& list_content);
  ProcessResult empty();

  // Entries of a trash by their name in files/ (an entry with no record has an empty record).
  std::map<std::string, TrashEntry> entries(const std::string& trash) const;
  // Record names in info/.
  std::vector<std::string> record_names(const std::string& trash) const;

  // Runs a peer trash tool with the same throwaway home; skips the test when it is missing,
  // unless DUSTPAN_REQUIRE_PEERS is set (CI sets it).
  ProcessResult peer(const std::vector<std::string>& argv, const std::string& input = "");
  // The original paths trash-list shows.
  std::vector<std::string> trash_list();

  TempDir root_;
};

// Runs each test in a private mount namespace so it can mount file systems of its own; skips
// when that is not permitted, unless DUSTPAN_REQUIRE_MOUNTS is set (CI sets it).
class MountedTrashTest : public TrashTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Mounts a fresh tmpfs at root_/name and returns its path.
  std::string mount_tmpfs(const std::string& name, const std::string& options = "");

  std::vector<std::string> mounted_;
};

std::string percent_decode(const std::string& text);
bool is_valid_record(const std::string& record);
