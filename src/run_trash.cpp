#include "run_trash.h"

#include <cstdint>

#include "exit_status.h"
#include "pathlist/read_path_list.h"
#include "platform/platform.h"
#include "status_line.h"

namespace dustpan {
namespace {

// The owner text only counts when it names a live window; anything else (no digits, zero, a
// stale handle) quietly means "no owner".
platform::HWND owner_window(int argc, const char16_t* const* argv) {
  if (argc <= 3) return nullptr;
  const std::uint64_t value = platform::_wcstoui64(argv[3], nullptr, 10);
  const auto window = reinterpret_cast<platform::HWND>(static_cast<std::uintptr_t>(value));
  return platform::IsWindow(window) ? window : nullptr;
}

}  // namespace

int run_trash(int argc, const char16_t* const* argv) {
  using namespace platform;
  PathList list;
  if (!read_path_list(argv[2], &list)) {
    report_read_error();
    return kExitReadFailed;
  }
  if (list.count == 0) {
    report_outcome(true, 0, false);
    return kExitOk;
  }

  SHFILEOPSTRUCTW request{};
  request.hwnd = owner_window(argc, argv);
  request.wFunc = FO_DELETE;
  request.pFrom = list.buffer.get();
  request.pTo = nullptr;
  // Silent and unconfirmed, into the bin, but still warning before anything would be deleted
  // outright. Error dialogs stay on: the caller may have handed us a window for them.
  request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;

  const int result = SHFileOperationW(&request);
  report_outcome(result == 0, result, request.fAnyOperationsAborted != 0);
  list.buffer.reset();
  return result == 0 ? kExitOk : kExitShellFailed;
}

}  // namespace dustpan
