// The services the core asks of the operating system, and nothing more.
//
// The core is portable C++ and never sees an OS header: it calls these declarations, and the
// build links exactly one implementation beside it (src/platform/windows, src/platform/posix,
// or the recording fake in tests/). The functions keep the names, argument order and result
// conventions of the Windows calls they stand for, so the Windows implementation is a thin
// forwarder and the other two can be judged against the same contract. Strings are UTF-16 code
// units (char16_t) everywhere; each implementation converts at its own boundary.
//
// Note for the Windows implementation: include this header before any Windows header, because
// several constant names below are macros there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using HANDLE = void*;
using HWND = void*;
using HRESULT = std::int32_t;

inline HANDLE const INVALID_HANDLE_VALUE =
    reinterpret_cast<HANDLE>(~static_cast<std::uintptr_t>(0));

// Result codes.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);

// Opening the list file.
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t FILE_SHARE_READ = 1;
inline constexpr std::uint32_t OPEN_EXISTING = 3;

// Text conversion.
inline constexpr std::uint32_t CP_UTF8 = 65001;

// The shell's file operation.
inline constexpr std::uint32_t FO_DELETE = 3;
inline constexpr std::uint16_t FOF_SILENT = 0x0004;
inline constexpr std::uint16_t FOF_NOCONFIRMATION = 0x0010;
inline constexpr std::uint16_t FOF_ALLOWUNDO = 0x0040;
inline constexpr std::uint16_t FOF_WANTNUKEWARNING = 0x4000;

// Emptying the bin.
inline constexpr std::uint32_t SHERB_NOCONFIRMATION = 1;
inline constexpr std::uint32_t SHERB_NOPROGRESSUI = 2;
inline constexpr std::uint32_t SHERB_NOSOUND = 4;

// One request to the shell's file operation. pFrom is a run of strings, each ended by U+0000,
// with one more U+0000 after the last.
struct SHFILEOPSTRUCTW {
  HWND hwnd;
  std::uint32_t wFunc;
  const char16_t* pFrom;
  const char16_t* pTo;
  std::uint16_t fFlags;
  int fAnyOperationsAborted;
  void* hNameMappings;
  const char16_t* lpszProgressTitle;
};

// Runtime library: heap and standard output.
void* malloc(std::size_t size);
void* calloc(std::size_t count, std::size_t size);
void free(void* block);
// Writes the run's one status line (ASCII, ending in '\n') to standard output, which stays in
// its default text mode.
void write_status_line(const char* line, std::size_t length);
// Unsigned 64-bit value of the decimal number that begins text; 0 when there is none.
std::uint64_t _wcstoui64(const char16_t* text, char16_t** end, int base);

// File reading. GetFileSizeEx is the whole-size query: the core refuses a file it cannot size.
HANDLE CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share, void* security,
                   std::uint32_t disposition, std::uint32_t flags, HANDLE template_file);
int GetFileSizeEx(HANDLE file, std::int64_t* size);
int ReadFile(HANDLE file, void* buffer, std::uint32_t to_read, std::uint32_t* read,
             void* overlapped);
int CloseHandle(HANDLE handle);

// Text conversion with the Windows call's conventions: a null output or out_count 0 measures.
int MultiByteToWideChar(std::uint32_t code_page, std::uint32_t flags, const char* bytes,
                        int byte_count, char16_t* out, int out_count);

// Windows and the shell.
int IsWindow(HWND window);
int SHFileOperationW(SHFILEOPSTRUCTW* operation);
HRESULT SHEmptyRecycleBinW(HWND window, const char16_t* root_path, std::uint32_t flags);

}  // namespace platform
