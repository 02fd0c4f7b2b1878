// The one status line a run prints. Callers parse it, so its bytes are fixed here and nowhere
// else.
#pragma once

#include <cstdint>

namespace dustpan {

void report_usage_error();  // "error usage\n"
void report_read_error();   // "error read\n"

// "ok CODE\n" or "error CODE\n", with " aborted" before the line end when asked. CODE is the
// signed 32-bit decimal value of the result, whatever width the caller's integer had.
void report_outcome(bool ok, std::int32_t code, bool aborted);

}  // namespace dustpan
