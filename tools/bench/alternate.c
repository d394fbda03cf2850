/* Times a tool against its floor, runs strictly alternating.
 *
 *   alternate PAIRS INPUT [-c FROM TO] -- FLOOR ARGS... -- TOOL ARGS...
 *
 * Runs the floor and the tool one after the other PAIRS times (after three
 * pairs not counted), each started directly (no shell) with standard input
 * read from the file INPUT and standard output thrown away; with -c, the
 * file FROM is copied to TO before every run, outside the time taken (a
 * converter rewrites its spectra.tmp).  A run is timed from its start to its
 * end by the monotonic clock.  Prints one line: the median time of the floor
 * and of the tool in milliseconds, the median of the ratios tool/floor of
 * the pairs, and the first and third quartile of those ratios.  Exit status
 * 1 when a run fails. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static const char *input;
static const char *copy_from;
static const char *copy_to;

static void copy_file(void) {
  char buffer[1 << 16];
  int in = open(copy_from, O_RDONLY);
  int out = open(copy_to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0) {
    perror("alternate: copy");
    exit(1);
  }
  ssize_t n;
  while ((n = read(in, buffer, sizeof buffer)) > 0) {
    if (write(out, buffer, (size_t)n) != n) {
      perror("alternate: copy");
      exit(1);
    }
  }
  close(in);
  close(out);
}

/* One run of argv; its wall time in milliseconds. */
static double run(char **argv) {
  if (copy_from != NULL) copy_file();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid;
  int status = 0;
  if (posix_spawn(&pid, argv[0], &actions, NULL, argv, environ) != 0 ||
      waitpid(pid, &status, 0) != pid) {
    perror(argv[0]);
    exit(1);
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "alternate: %s failed (status %d)\n", argv[0], status);
    exit(1);
  }
  return (double)(end.tv_sec - start.tv_sec) * 1e3 + (double)(end.tv_nsec - start.tv_nsec) / 1e6;
}

static int compare(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

/* The value at fraction q of the sorted values. */
static double quantile(double *v, int n, double q) {
  qsort(v, (size_t)n, sizeof *v, compare);
  return v[(int)(q * (n - 1) + 0.5)];
}

int main(int argc, char **argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: alternate PAIRS INPUT [-c FROM TO] -- FLOOR ARGS... -- TOOL ARGS...\n");
    return 2;
  }
  int pairs = atoi(argv[1]);
  input = argv[2];
  int i = 3;
  if (strcmp(argv[i], "-c") == 0) {
    copy_from = argv[i + 1];
    copy_to = argv[i + 2];
    i += 3;
  }
  if (pairs < 1 || i >= argc || strcmp(argv[i], "--") != 0) return 2;
  char **floor_argv = argv + i + 1;
  int j = i + 1;
  while (j < argc && strcmp(argv[j], "--") != 0) ++j;
  if (j >= argc - 1) return 2;
  argv[j] = NULL;
  char **tool_argv = argv + j + 1;

  double *floor_ms = malloc(sizeof(double) * (size_t)pairs);
  double *tool_ms = malloc(sizeof(double) * (size_t)pairs);
  double *ratio = malloc(sizeof(double) * (size_t)pairs);
  if (floor_ms == NULL || tool_ms == NULL || ratio == NULL) return 1;
  for (int k = 0; k < 3; ++k) {
    run(floor_argv);
    run(tool_argv);
  }
  for (int k = 0; k < pairs; ++k) {
    floor_ms[k] = run(floor_argv);
    tool_ms[k] = run(tool_argv);
    ratio[k] = tool_ms[k] / floor_ms[k];
  }
  const double r = quantile(ratio, pairs, 0.5);
  printf("%.3f %.3f %.2f %.2f %.2f\n", quantile(floor_ms, pairs, 0.5),
         quantile(tool_ms, pairs, 0.5), r, quantile(ratio, pairs, 0.25),
         quantile(ratio, pairs, 0.75));
  return 0;
}
