#include "run_empty.h"

#include "exit_status.h"
#include "platform/platform.h"
#include "status_line.h"

namespace dustpan {

int run_empty() {
  using namespace platform;
  const HRESULT result = SHEmptyRecycleBinW(
      nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  // The shell answers E_UNEXPECTED when every bin was already empty: that is a success too.
  const bool ok = result == S_OK || result == E_UNEXPECTED;
  report_outcome(ok, result, false);
  return kExitOk;
}

}  // namespace dustpan
