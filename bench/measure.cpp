// Runs one command and writes what the kernel accounts to it when it has
// ended: its user and system time to the microsecond and its peak resident
// memory.  What /usr/bin/time -v tells, but with the CPU times exact enough
// for runs of a few hundredths of a second (time rounds them to 10 ms).
//
//   bench_measure REPORT COMMAND [ARG...]
//
// The command inherits the standard streams.  REPORT gets one line:
// "EXIT USER_SECONDS SYSTEM_SECONDS PEAK_KB"; EXIT is the command's exit
// code, or 128 + the signal that ended it.
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s REPORT COMMAND [ARG...]\n", argv[0]);
    return 2;
  }
  // This program is small, so that the command, forked from it, starts
  // with little of anything else's memory counted as its own.
  const pid_t child = fork();
  if (child < 0) {
    perror("fork");
    return 1;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    perror("wait4");
    return 1;
  }
  FILE* report = fopen(argv[1], "w");
  if (!report) {
    perror(argv[1]);
    return 1;
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  fprintf(report, "%d %.6f %.6f %ld\n", code, seconds(usage.ru_utime), seconds(usage.ru_stime),
          usage.ru_maxrss);
  return fclose(report) == 0 ? 0 : 1;
}
