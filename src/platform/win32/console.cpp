// Standard input, output and error of the Windows build.
//
// The program's text is UTF-8.  A console is written with WriteConsoleW and
// read with ReadConsoleW, in UTF-16, so that every letter shows and arrives
// as it is, whatever the console's own code page (the OEM code page, 437 or
// 850 on a Western system).  A pipe or a file is written in code page 1252,
// the bytes installers' scripts have always read from this program (a
// character without a 1252 form as '?'), and read as UTF-8 where its bytes
// are UTF-8 and as code page 1252 where they are not, so that an answer
// arrives whole from a script of either kind.
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/win32/win32_util.h"

#include <algorithm>

namespace plat {

namespace {

// Standard handle `which`, or nullptr when the process has none.
HANDLE StandardHandle(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// Writes all bytes to a file or pipe.
void WriteBytes(HANDLE handle, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 16384));
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0)
      return;  // a closed pipe takes nothing more
    done += written;
  }
}

// Writes text to a console as UTF-16, in pieces small enough for any
// console, never splitting a surrogate pair between two pieces.
void WriteToConsole(HANDLE console, const std::string& text) {
  const std::wstring wide = win32::Wide(text);
  constexpr size_t kPiece = 8192;
  size_t done = 0;
  while (done < wide.size()) {
    size_t count = std::min(wide.size() - done, kPiece);
    if (done + count < wide.size() && count > 1 && IS_HIGH_SURROGATE(wide[done + count - 1]))
      --count;
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0)
      return;  // a closed console takes nothing more
    done += written;
  }
}

void WriteAll(DWORD which, const std::string& text) {
  HANDLE handle = StandardHandle(which);
  if (handle == nullptr || text.empty()) return;
  if (IsConsole(handle))
    WriteToConsole(handle, text);
  else
    WriteBytes(handle, encoding::ToCodePage1252(text));
}

// One line typed on a console, one character at a time: what the console
// holds past the line stays there for the next read.  Ctrl+Z at the start
// of a line ends the input.
bool ReadConsoleLine(HANDLE console, std::string& line) {
  std::wstring typed;
  bool any = false;
  for (;;) {
    wchar_t c = 0;
    DWORD got = 0;
    if (!ReadConsoleW(console, &c, 1, &got, nullptr) || got == 0) break;  // closed or broken off
    if (c == 0x1A && !any) break;
    any = true;
    if (c == L'\n') break;
    typed += c;
  }
  if (!any) return false;
  if (!typed.empty() && typed.back() == L'\r') typed.pop_back();
  line = win32::Narrow(typed);
  return true;
}

// One line from a file or pipe, one byte at a time, so that nothing past the
// line is taken from it.
bool ReadByteLine(HANDLE handle, std::string& line) {
  bool any = false;
  for (;;) {
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(handle, &c, 1, &got, nullptr) || got == 0) break;  // end, closed pipe or error
    any = true;
    if (c == '\n') break;
    line += c;
  }
  if (!any) {
    line.clear();
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line = encoding::ToValidUtf8(line);
  return true;
}

}  // namespace

void WriteStdout(const std::string& text) { WriteAll(STD_OUTPUT_HANDLE, text); }

void WriteStderr(const std::string& text) { WriteAll(STD_ERROR_HANDLE, text); }

void FlushStdout() {
  // Output is written straight through; a file or pipe is flushed by the system.
}

int StdoutColumns() {
  HANDLE handle = StandardHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (handle == nullptr || !GetConsoleScreenBufferInfo(handle, &info)) return 0;  // no console
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? columns : info.dwSize.X;
}

bool ReadStdinLine(std::string& line) {
  line.clear();
  HANDLE handle = StandardHandle(STD_INPUT_HANDLE);
  if (handle == nullptr) return false;
  return IsConsole(handle) ? ReadConsoleLine(handle, line) : ReadByteLine(handle, line);
}

}  // namespace plat
