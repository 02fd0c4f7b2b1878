// Throughput of the list reader on large generated lists, beside memcpy of the same bytes and
// beside the floor that the reader's buffers set, in the same run, with its peak memory as a
// multiple of the list's size.
//
// The reader runs on the real POSIX services, heap included. Peak memory is the process's peak
// resident size during the read, after the kernel's high-water mark is reset.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "pathlist/read_path_list.h"
#include "platform/platform.h"
#include "support/resident_memory.h"

namespace {

// DUSTPAN_BENCH_SCALE shrinks the lists for a quick smoke run (CI uses 100: 1 MB lists).
std::size_t scaled(std::size_t bytes) {
  const char* scale = std::getenv("DUSTPAN_BENCH_SCALE");
  const long divisor = scale ? std::atol(scale) : 1;
  return divisor > 1 ? bytes / static_cast<std::size_t>(divisor) : bytes;
}

enum class ListKind { kAscii, kThirtyPercentNonAscii, kShortLines };

// Paths shaped like a build tree: long shared prefixes, varied names.
std::string make_list(ListKind kind) {
  std::mt19937 random(42);
  std::string list;
  if (kind == ListKind::kShortLines) {
    const std::size_t lines = scaled(1'000'000);
    for (std::size_t i = 0; i < lines; ++i) list += "f" + std::to_string(i % 100000) + "\n";
    return list;
  }
  const std::size_t target = scaled(100'000'000);
  static const char* kWords[] = {"src", "build", "cache", "module", "test", "assets", "objects"};
  static const char* kNonAscii[] = {"d\xC3\xA9j\xC3\xA0", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                                    "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82",
                                    "\xF0\x9F\x97\x91 bin"};
  list.reserve(target + 256);
  while (list.size() < target) {
    list += "/home/user/projects/";
    list += kWords[random() % 7];
    list += '/';
    if (kind == ListKind::kThirtyPercentNonAscii && random() % 10 < 3) {
      list += kNonAscii[random() % 4];
      list += '/';
    }
    list += "file_" + std::to_string(random() % 1000000) + ".o\r\n";
  }
  return list;
}

// Writes the list once and keeps it for every benchmark of that kind.
const std::string& list_file(ListKind kind, std::size_t* size) {
  static std::string names[3];
  static std::size_t sizes[3];
  const auto index = static_cast<std::size_t>(kind);
  if (names[index].empty()) {
    const std::string list = make_list(kind);
    names[index] =
        "/tmp/dustpan-bench-list-" + std::to_string(::getpid()) + "-" + std::to_string(index);
    std::ofstream(names[index], std::ios::binary) << list;
    sizes[index] = list.size();
    std::atexit([] {
      for (const auto& name : names) {
        if (!name.empty()) ::unlink(name.c_str());
      }
    });
  }
  *size = sizes[index];
  return names[index];
}

std::u16string wide(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

void BM_ReadPathList(benchmark::State& state, ListKind kind) {
  std::size_t size = 0;
  const std::u16string name = wide(list_file(kind, &size));
  std::size_t count = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::size_t before = resident_memory::status_bytes("VmRSS:");
    resident_memory::reset_peak();
    state.ResumeTiming();
    {
      dustpan::PathList list;
      if (!dustpan::read_path_list(name.c_str(), &list)) state.SkipWithError("read failed");
      count = list.count;
      benchmark::DoNotOptimize(list.buffer.get());
    }
    state.PauseTiming();
    peak = std::max(peak, resident_memory::status_bytes("VmHWM:") - before);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["paths"] = static_cast<double>(count);
  state.counters["peak_memory_x_list"] = static_cast<double>(peak) / static_cast<double>(size);
}

// The floor the reader's design sets: the same file read whole into a fresh buffer, then two
// fresh zero-filled buffers of two bytes per input byte written once each (the decoded text and
// the path list), on the same heap. No decoding, no splitting.
void BM_BufferFloor(benchmark::State& state, ListKind kind) {
  std::size_t size = 0;
  const std::string& file = list_file(kind, &size);
  for (auto _ : state) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    auto* bytes = static_cast<unsigned char*>(platform::malloc(size + 1));
    if (::read(fd, bytes, size) != static_cast<ssize_t>(size)) state.SkipWithError("short read");
    ::close(fd);
    auto* text = static_cast<char16_t*>(platform::calloc(size + 2, 2));
    for (std::size_t i = 0; i < size; ++i) text[i] = bytes[i];
    platform::free(bytes);
    auto* paths = static_cast<char16_t*>(platform::calloc(size + 2, 2));
    std::memcpy(paths, text, size * 2);
    platform::free(text);
    benchmark::DoNotOptimize(paths);
    platform::free(paths);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The ceiling: copying the same number of bytes once.
void BM_Memcpy(benchmark::State& state, ListKind kind) {
  std::size_t size = 0;
  list_file(kind, &size);
  std::string from(size, 'x');
  std::string to(size, '\0');
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// First-touch page faults make single runs noisy on virtual machines: report medians.
#define DUSTPAN_LIST_BENCHMARK(function, label, kind) \
  BENCHMARK_CAPTURE(function, label, kind)            \
      ->Unit(benchmark::kMillisecond)                 \
      ->Repetitions(5)                                \
      ->ReportAggregatesOnly(true)

DUSTPAN_LIST_BENCHMARK(BM_Memcpy, ascii_100MB, ListKind::kAscii);
DUSTPAN_LIST_BENCHMARK(BM_BufferFloor, ascii_100MB, ListKind::kAscii);
DUSTPAN_LIST_BENCHMARK(BM_ReadPathList, ascii_100MB, ListKind::kAscii);
DUSTPAN_LIST_BENCHMARK(BM_Memcpy, non_ascii_30pct_100MB, ListKind::kThirtyPercentNonAscii);
DUSTPAN_LIST_BENCHMARK(BM_BufferFloor, non_ascii_30pct_100MB, ListKind::kThirtyPercentNonAscii);
DUSTPAN_LIST_BENCHMARK(BM_ReadPathList, non_ascii_30pct_100MB, ListKind::kThirtyPercentNonAscii);
DUSTPAN_LIST_BENCHMARK(BM_Memcpy, short_lines_1M, ListKind::kShortLines);
DUSTPAN_LIST_BENCHMARK(BM_BufferFloor, short_lines_1M, ListKind::kShortLines);
DUSTPAN_LIST_BENCHMARK(BM_ReadPathList, short_lines_1M, ListKind::kShortLines);

}  // namespace

BENCHMARK_MAIN();
