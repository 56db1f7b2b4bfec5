// Process services of the Windows build: command line, environment, current
// folder and full paths (the standard streams are in console.cpp), and two
// pieces of work run one after the other, as this build makes no threads.
#include "platform/platform.h"
#include "platform/win32/win32_util.h"

#include <vector>

namespace plat {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits the text of the command line into words, the program name excluded.
// The rules are those of the C runtime (blanks separate, double quotes group
// and are removed, 2n backslashes before a quote give n backslashes, 2n+1
// give n and a literal quote), with one exception for the common way of
// quoting a folder: a single backslash before the closing quote of a quoted
// word stays a backslash.  So the quoted folder  "C:\My Scenery\"  ends in a
// backslash, and does not swallow the words after it.
std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = text.size();
  // The program name: up to the next quote when quoted, else to a blank.
  if (i < n && text[i] == '"') {
    ++i;
    while (i < n && text[i] != '"') ++i;
    if (i < n) ++i;
  } else {
    while (i < n && !IsBlank(text[i])) ++i;
  }
  for (;;) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    std::string word;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(text[i]))) {
      char c = text[i];
      if (c == '\\') {
        size_t run = 0;
        while (i + run < n && text[i + run] == '\\') ++run;
        size_t next = i + run;
        if (next < n && text[next] == '"') {
          bool closesWord = quoted && (next + 1 == n || IsBlank(text[next + 1]));
          if (run % 2 == 0) {
            word.append(run / 2, '\\');
            i = next;  // the quote groups
          } else if (run == 1 && closesWord) {
            word += '\\';
            i = next;  // "...\" : a folder's backslash, then the closing quote
          } else {
            word.append(run / 2, '\\');
            word += '"';
            i = next + 1;
          }
        } else {
          word.append(run, '\\');
          i = next;
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && text[i + 1] == '"') {
          word += '"';  // "" inside quotes is one literal quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        word += c;
        ++i;
      }
    }
    words.push_back(word);
  }
  return words;
}

std::string Environment(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::string();
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) return std::string();
  value.resize(length);
  return win32::Narrow(value);
}

}  // namespace

std::vector<std::string> CommandLineWords(int, char**) {
  // The C runtime's argv would read "C:\My Scenery\" as an escaped quote;
  // the command line itself is split here instead (see SplitCommandLine).
  // Split as UTF-8: the bytes that group and separate words are ASCII.
  const wchar_t* line = GetCommandLineW();
  return SplitCommandLine(line != nullptr ? win32::Narrow(line) : std::string());
}

std::string TempFolderValue() {
  std::string value = Environment(L"TEMP");
  if (value.empty()) value = Environment(L"TMP");
  return value;
}

bool CurrentFolder(std::string& folder) {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return false;
  std::wstring value(size, L'\0');
  DWORD length = GetCurrentDirectoryW(size, value.data());
  if (length == 0 || length >= size) return false;
  value.resize(length);
  folder = win32::Narrow(value);
  if (folder.back() != '\\') folder += '\\';
  return true;
}

std::string FullPath(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return std::string();
  const std::wstring wide = win32::Wide(path);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    wchar_t* filePart = nullptr;
    DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                    &filePart);
    if (length == 0) return std::string();
    if (length < buffer.size()) return win32::Narrow(std::wstring_view(buffer.data(), length));
    buffer.resize(length + 1);
  }
  return std::string();
}

}  // namespace plat
