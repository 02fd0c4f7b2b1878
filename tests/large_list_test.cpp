// The reader on a 1 GiB list with the real POSIX services: it reads the whole list, and its
// peak memory stays within what its buffers imply (the bytes, then the decoded text and the
// path list at two bytes a unit: four times the list, plus page rounding).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "pathlist/read_path_list.h"
#include "support/resident_memory.h"
#include "support/temp_dir.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer writes one shadow byte for every 8 bytes of each mapping, and the reader maps
// five bytes per byte of the list over the read (the bytes, the text, the list).
constexpr double kSanitizerShadow = 5.0 / 8;
#else
constexpr double kSanitizerShadow = 0;
#endif

TEST(LargeListTest, OneGibibyteOfShortPathsStaysWithinItsBuffers) {
  TempDir dir;
  const std::string path = dir / "list";
  constexpr std::size_t kSize = std::size_t{1} << 30;
  // One MiB of "/tmp/p0000000\n" lines (14 bytes each), written over and over.
  std::string chunk;
  std::size_t lines_per_chunk = 0;
  while (chunk.size() + 14 <= (std::size_t{1} << 20)) {
    char line[16];
    std::snprintf(line, sizeof line, "/tmp/p%07zu\n", lines_per_chunk++);
    chunk += line;
  }
  std::size_t lines = 0;
  {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    for (std::size_t written = 0; written + chunk.size() <= kSize; written += chunk.size()) {
      ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
      lines += lines_per_chunk;
    }
    ::close(fd);
  }
  const std::u16string name(path.begin(), path.end());

  resident_memory::reset_peak();
  const std::size_t before = resident_memory::status_bytes("VmRSS:");
  std::size_t count = 0;
  {
    dustpan::PathList list;
    ASSERT_TRUE(dustpan::read_path_list(name.c_str(), &list));
    count = list.count;
  }
  const std::size_t peak = resident_memory::status_bytes("VmHWM:") - before;
  const std::size_t size = static_cast<std::size_t>(std::ifstream(path, std::ios::ate).tellg());
  EXPECT_EQ(count, lines);
  RecordProperty("list_bytes", std::to_string(size));
  RecordProperty("peak_bytes", std::to_string(peak));
  std::printf("1 GiB list: peak memory %.2f times the list (%zu bytes)\n",
              static_cast<double>(peak) / static_cast<double>(size), peak);
  EXPECT_LE(static_cast<double>(peak), (4.1 + kSanitizerShadow) * static_cast<double>(size));
}

}  // namespace
