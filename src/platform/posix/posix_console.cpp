// The command line and the console: UTF-8 outside as inside.  What comes in
// is made valid UTF-8 here (a byte that is not UTF-8 is taken as its code
// page 1252 character), and so is what goes out.
#include <signal.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/text_encoding.h"

namespace plat {
namespace {

// A program started with standard input, output or error closed would hand
// those numbers to the next files it opens, and then read prompts' answers
// from, or print into, those files.  /dev/null takes their place.
void KeepStandardStreamsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

void WriteTo(FILE* stream, const std::string& text) {
  if (encoding::IsValidUtf8(text)) {
    fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  const std::string utf8 = encoding::ToValidUtf8(text);
  fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace

std::vector<std::string> CommandLineWords(int argc, char** argv) {
  KeepStandardStreamsOpen();
  // A reader that stops early (`layrix ... | head -1`) must not kill the run
  // half-way: as on Windows, a write to a closed pipe just fails.
  ::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.push_back(encoding::ToValidUtf8(argv[i] ? argv[i] : ""));
  return words;
}

void WriteStdout(const std::string& text) { WriteTo(stdout, text); }

void WriteStderr(const std::string& text) {
  fflush(stdout);  // keep the order of the two streams on one console
  WriteTo(stderr, text);
  fflush(stderr);
}

void FlushStdout() { fflush(stdout); }

int StdoutColumns() {
  if (!::isatty(STDOUT_FILENO)) return 0;
  struct winsize size {};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  // A terminal that does not tell its size (a serial line, some emulators).
  const char* columns = ::getenv("COLUMNS");
  const int given = columns ? ::atoi(columns) : 0;
  return given > 0 ? given : 80;
}

bool ReadStdinLine(std::string& line) {
  line.clear();
  fflush(stdout);  // the prompt first
  std::string utf8;
  bool any = false;
  int c;
  while ((c = getc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    utf8 += static_cast<char>(c);
  }
  if (!any) {
    return false;
  }
  if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
  line = encoding::ToValidUtf8(utf8);
  return true;
}

}  // namespace plat
