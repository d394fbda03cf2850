/* The floor of the benchmark: the bare cost of one tool run's input and
 * output, with none of its work.
 *
 *   floor [-w FILE] PATH...
 *
 * Reads each PATH whole, one at a time (open, read to the end, close), "-"
 * being standard input, in the order given, and counts its lines: the least
 * that any reader of these text files does with every byte.  With -w it then replaces FILE
 * (one of the paths, read before) the way a converting tool rewrites
 * spectra.tmp: it locks FILE, creates a temporary file beside it
 * exclusively, writes as many bytes as FILE held, syncs and closes it,
 * renames it over FILE and syncs the directory.  Prints one number, the
 * count of lines read.  Exit status 1 with a message on any failure. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

static char buffer[1 << 16];

static void fail(const char *what, const char *path) {
  fprintf(stderr, "floor: %s %s: %s\n", what, path, strerror(errno));
  exit(1);
}

/* Reads fd to its end, adding its line ends to *lines; returns the byte
 * count. */
static size_t read_all(int fd, const char *path, unsigned long *lines) {
  size_t total = 0;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot read", path);
    if (n == 0) return total;
    unsigned long count = 0;
    for (ssize_t i = 0; i < n; ++i) count += buffer[i] == '\n';
    *lines += count;
    total += (size_t)n;
  }
}

static void write_all(int fd, const char *path, size_t size) {
  memset(buffer, ' ', sizeof buffer);
  while (size > 0) {
    size_t chunk = size < sizeof buffer ? size : sizeof buffer;
    ssize_t n = write(fd, buffer, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("cannot write", path);
    size -= (size_t)n;
  }
}

static void replace(const char *path, size_t size) {
  int lock = open(path, O_RDONLY | O_CLOEXEC);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) fail("cannot lock", path);

  char temp[4096];
  snprintf(temp, sizeof temp, "%s.floor.%ld", path, (long)getpid());
  int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) fail("cannot create", temp);
  write_all(fd, temp, size);
  if (fsync(fd) != 0 || close(fd) != 0) fail("cannot sync", temp);
  if (rename(temp, path) != 0) fail("cannot rename", temp);

  char dir[4096];
  snprintf(dir, sizeof dir, "%s", path);
  char *slash = strrchr(dir, '/');
  if (slash == NULL) {
    strcpy(dir, ".");
  } else if (slash == dir) {
    dir[1] = '\0';
  } else {
    *slash = '\0';
  }
  int dfd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0 || fsync(dfd) != 0 || close(dfd) != 0) fail("cannot sync", dir);
  close(lock);
}

int main(int argc, char **argv) {
  const char *rewrite = NULL;
  int first = 1;
  if (argc > 2 && strcmp(argv[1], "-w") == 0) {
    rewrite = argv[2];
    first = 3;
  }
  unsigned long lines = 0;
  size_t rewrite_size = 0;
  for (int i = first; i < argc; ++i) {
    size_t n;
    if (strcmp(argv[i], "-") == 0) {
      n = read_all(0, "stdin", &lines);
    } else {
      int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
      if (fd < 0) fail("cannot open", argv[i]);
      n = read_all(fd, argv[i], &lines);
      close(fd);
    }
    if (rewrite != NULL && strcmp(argv[i], rewrite) == 0) rewrite_size = n;
  }
  if (rewrite != NULL) replace(rewrite, rewrite_size);
  printf("%lu\n", lines);
  return 0;
}
