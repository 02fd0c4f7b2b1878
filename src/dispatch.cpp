#include "dispatch.h"

#include <string_view>

#include "exit_status.h"
#include "run_empty.h"
#include "run_trash.h"
#include "status_line.h"

namespace dustpan {
namespace {

// Command words match whole and case-sensitively: no trimming, no abbreviations.
bool is_word(const char16_t* argument, std::u16string_view word) {
  return std::u16string_view(argument) == word;
}

}  // namespace

int dispatch(int argc, const char16_t* const* argv) {
  // "trash" needs the list file after it, so it is only considered with three or more
  // arguments; a lone "trash" falls through to the usage error.
  if (argc > 2 && is_word(argv[1], u"trash")) return run_trash(argc, argv);
  if (argc >= 2 && is_word(argv[1], u"empty")) return run_empty();
  report_usage_error();
  return kExitUsage;
}

}  // namespace dustpan
