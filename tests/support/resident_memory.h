// The process's resident memory as the kernel counts it, with its high-water mark resettable,
// for measuring the peak of one operation. Linux only.
#pragma once

#include <cstddef>
#include <cstring>
#include <fstream>
#include <string>

namespace resident_memory {

// A figure of /proc/self/status ("VmRSS:", "VmHWM:"), in bytes.
inline std::size_t status_bytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoul(line.substr(std::strlen(field) + 1)) * 1024;
  }
  return 0;
}

// Restarts the high-water mark (VmHWM) from the current resident size.
inline void reset_peak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace resident_memory
