/* The floor for trashing: per item one record created with O_EXCL, one write, one close and one
 * rename, nothing else. No checks, no escaping, no choice of trash; correct only for the
 * benchmark's own lists (absolute paths, one file system).
 * usage: minimal_trash LIST TRASH */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) return 64;
  FILE* list = fopen(argv[1], "r");
  if (!list) return 2;
  char path[4096];
  snprintf(path, sizeof path, "%s", argv[2]);
  mkdir(path, 0700);
  snprintf(path, sizeof path, "%s/files", argv[2]);
  mkdir(path, 0700);
  const int files = open(path, O_PATH | O_DIRECTORY);
  snprintf(path, sizeof path, "%s/info", argv[2]);
  mkdir(path, 0700);
  const int info = open(path, O_PATH | O_DIRECTORY);
  if (files < 0 || info < 0) return 1;

  char date[32];
  const time_t now = time(NULL);
  struct tm local;
  localtime_r(&now, &local);
  strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);

  char line[4096], name[512], record_name[600], record[8192];
  unsigned long index = 0;
  int status = 0;
  while (fgets(line, sizeof line, list)) {
    line[strcspn(line, "\n")] = '\0';
    if (!line[0]) continue;
    const char* base = strrchr(line, '/');
    base = base ? base + 1 : line;
    snprintf(name, sizeof name, "%s", base);
    snprintf(record_name, sizeof record_name, "%s.trashinfo", name);
    int fd = openat(info, record_name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) { /* the cheapest unique name: the item's index */
      snprintf(name, sizeof name, "%s.%lu", base, ++index);
      snprintf(record_name, sizeof record_name, "%s.trashinfo", name);
      fd = openat(info, record_name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    }
    if (fd < 0) {
      status = 1;
      continue;
    }
    const int length =
        snprintf(record, sizeof record, "[Trash Info]\nPath=%s\nDeletionDate=%s\n", line, date);
    if (write(fd, record, (size_t)length) != length) status = 1;
    close(fd);
    if (renameat(AT_FDCWD, line, files, name) != 0) status = 1;
    ++index;
  }
  return status;
}
