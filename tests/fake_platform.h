// A recording test double for the platform services. Every call is logged in order with its
// arguments, results are scripted, and any one allocation or file call can be made to fail.
// Linked instead of a real platform, so the core under test cannot reach the OS.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct CreateFileCall {
  std::u16string name;
  std::uint32_t access;
  std::uint32_t share;
  void* security;
  std::uint32_t disposition;
  std::uint32_t flags;
  platform::HANDLE template_file;
};

struct ReadFileCall {
  std::uint32_t to_read;
  bool overlapped_null;
};

struct ConvertCall {
  std::uint32_t code_page;
  std::uint32_t flags;
  int byte_count;
  bool has_output;
  int out_count;
};

struct ShellCall {
  platform::SHFILEOPSTRUCTW request;  // as received
  std::u16string from;                // pFrom up to and including its closing U+0000 pair
};

struct EmptyCall {
  platform::HWND window;
  const char16_t* root_path;
  std::uint32_t flags;
};

struct State {
  // --- scripted ---
  std::map<std::u16string, std::string> files;  // list files by name
  int fail_allocation = 0;                      // the Nth allocation (1-based) returns null
  bool fail_create = false;
  bool fail_size = false;
  std::int64_t reported_size = -1;  // size the size query reports; -1: the file's real size
  bool fail_read = false;
  std::int64_t read_limit = -1;        // read at most this many bytes; -1: no limit
  bool fail_convert = false;           // the conversion answers 0
  std::vector<std::uint64_t> windows;  // handles IsWindow accepts
  int shell_result = 0;
  bool shell_aborts = false;
  platform::HRESULT empty_result = 0;

  // --- recorded ---
  std::vector<std::string> calls;  // every service called, in order
  std::string output;              // the status line(s)
  std::vector<CreateFileCall> creates;
  std::vector<ReadFileCall> reads;
  std::vector<ConvertCall> converts;
  std::vector<std::uint64_t> window_checks;
  std::vector<ShellCall> shell_calls;
  std::vector<EmptyCall> empty_calls;
  int allocations = 0;
  int live_blocks = 0;
  int open_handles = 0;
  int closes = 0;

  int count(const std::string& name) const;
};

// The one fake every test sees; reset() gives a clean one.
State& state();
void reset();

}  // namespace fake
