// Standard input, output and error of the Windows build.
//
// The program's text is ANSI (the machine's code page).  A pipe or a file is
// written and read as those bytes, unchanged, which is what installers and
// scripts read.  A console is different: its A functions take bytes in the
// console's own code page (the OEM code page, 437 or 850 on a Western
// system), so ANSI letters beyond ASCII would show as other letters ("ü" as
// "ⁿ"), and a typed "ü" would arrive as a byte that means something else in
// the ANSI code page.  A console is therefore written with WriteConsoleW and
// read with ReadConsoleW, converting from and to the ANSI code page here.
#include "platform/platform.h"
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

// Writes ANSI text to a console as UTF-16, in pieces small enough for any
// console, never splitting a surrogate pair between two pieces.
void WriteToConsole(HANDLE console, const std::string& text) {
  const std::wstring wide = win32::Wide(text);
  if (wide.empty()) {  // nothing the system could convert: the bytes as they are
    DWORD written = 0;
    WriteConsoleA(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
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
    WriteBytes(handle, text);
}

// A typed line in the ANSI code page.  Each character without an ANSI form
// becomes one '?', as the Linux build converts what it reads: no look-alike
// ("L" for "Ł") slips into a title or a path unnoticed, and a character
// beyond U+FFFF (two UTF-16 units) gives one '?', not two.
std::string AnsiFromTyped(const std::wstring& typed) {
  std::wstring text;
  text.reserve(typed.size());
  for (size_t i = 0; i < typed.size(); ++i) {
    const wchar_t c = typed[i];
    if (IS_HIGH_SURROGATE(c) && i + 1 < typed.size() && IS_LOW_SURROGATE(typed[i + 1])) {
      text += L'?';
      ++i;
    } else if (IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) {
      text += L'?';  // half a pair names no character
    } else {
      text += c;
    }
  }
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                  "?", nullptr);
  if (count <= 0) return std::string(text.size(), '?');
  std::string ansi(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, ansi.data(), count, "?",
                      nullptr);
  return ansi;
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
  line = AnsiFromTyped(typed);
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
  return true;
}

}  // namespace

void WriteStdout(const std::string& text) { WriteAll(STD_OUTPUT_HANDLE, text); }

void WriteStderr(const std::string& text) { WriteAll(STD_ERROR_HANDLE, text); }

void FlushStdout() {
  // Output is written straight through; a file or pipe is flushed by the system.
}

bool ReadStdinLine(std::string& line) {
  line.clear();
  HANDLE handle = StandardHandle(STD_INPUT_HANDLE);
  if (handle == nullptr) return false;
  return IsConsole(handle) ? ReadConsoleLine(handle, line) : ReadByteLine(handle, line);
}

}  // namespace plat
