// The heap on POSIX.
//
// Large blocks (a list of hundreds of megabytes makes three of them) are mapped straight from
// the kernel, which hands out zero-filled memory, and advised to use huge pages: with 4 KiB
// pages the page faults of first touch were most of the reader's time. Every block carries a
// small header saying how it was made, so free() can undo either kind.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr std::size_t kLargeBlock = std::size_t{8} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// 16 bytes keep the block as aligned as malloc's own.
struct alignas(16) Header {
  std::size_t mapped_length;  // 0 for a block from the C heap
};

void* map_block(std::size_t size) {
  const std::size_t length = (size + sizeof(Header) + kHugePage - 1) / kHugePage * kHugePage;
  void* mapping =
      ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  ::madvise(mapping, length, MADV_HUGEPAGE);  // only advice: the block works either way
  auto* header = static_cast<Header*>(mapping);
  header->mapped_length = length;
  return header + 1;
}

void* from_heap(Header* header) {
  if (header == nullptr) return nullptr;
  header->mapped_length = 0;
  return header + 1;
}

}  // namespace

void* malloc(std::size_t size) {
  if (size > SIZE_MAX - kHugePage) return nullptr;
  if (size >= kLargeBlock) return map_block(size);
  return from_heap(static_cast<Header*>(std::malloc(size + sizeof(Header))));
}

void* calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > (SIZE_MAX - kHugePage) / size) return nullptr;
  const std::size_t total = count * size;
  if (total >= kLargeBlock) return map_block(total);  // fresh mappings are already zero
  return from_heap(static_cast<Header*>(std::calloc(1, total + sizeof(Header))));
}

void free(void* block) {
  if (block == nullptr) return;
  Header* header = static_cast<Header*>(block) - 1;
  if (header->mapped_length != 0) {
    ::munmap(header, header->mapped_length);
  } else {
    std::free(header);
  }
}

}  // namespace platform
