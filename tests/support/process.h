// Runs a program the way a caller would, capturing its output and exit status.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when it did not exit normally
};

// env replaces the whole environment; cwd empty means the current directory; input is what the
// program reads on its standard input (small: it is written before the output is read).
ProcessResult run_process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                          const std::string& cwd = "", const std::string& input = "");

// The built dustpan, run with HOME and XDG_DATA_HOME inside home (never the real user's), and
// PATH passed through for the peer tools tests compare with.
ProcessResult run_dustpan(const std::vector<std::string>& args, const std::string& home,
                          const std::string& cwd = "");

// The environment run_dustpan uses, for running peer tools with the same home.
std::vector<std::string> test_environment(const std::string& home);

// Starts a program with its output discarded and returns its process id without waiting.
int start_process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  const std::string& cwd);

// Whether a program is found on PATH (peer tools may be missing on a developer's machine).
bool have_program(const std::string& name);
