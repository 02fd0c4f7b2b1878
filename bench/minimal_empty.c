/* The floor for emptying: unlink every entry below TRASH/files (depth first) and every record in
 * TRASH/info. No checks of any kind.
 * usage: minimal_empty TRASH */
#define _GNU_SOURCE
#include <ftw.h>
#include <stdio.h>
#include <unistd.h>

static int remove_entry(const char* path, const struct stat* st, int type, struct FTW* where) {
  (void)st;
  if (where->level == 0) return 0; /* keep files/ and info/ themselves */
  return (type == FTW_DP ? rmdir(path) : unlink(path)) == 0 ? 0 : -1;
}

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  char path[4096];
  int status = 0;
  const char* folders[] = {"files", "info"};
  for (int i = 0; i < 2; ++i) {
    snprintf(path, sizeof path, "%s/%s", argv[1], folders[i]);
    if (nftw(path, remove_entry, 64, FTW_DEPTH | FTW_PHYS) != 0) status = 1;
  }
  return status;
}
