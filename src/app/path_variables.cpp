// Path variables: %c %p %f %a %s %t %x %b, and the doubled backslash.
#include "app/path_variables.h"

#include "platform/platform.h"

namespace app {

namespace {

// Tokens in the order they are applied; the doubled backslash comes last so
// that "%a\x" yields a single backslash after the folder.
constexpr std::array<std::string_view, kVariableCount> kVariableNames = {
    "%c", "%p", "%f", "%a", "%s", "%t", "%x", "%b", "\\\\"};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool TokenAt(std::string_view text, size_t pos, std::string_view token) {
  if (text.size() - pos < token.size()) return false;
  for (size_t i = 0; i < token.size(); ++i)
    if (LowerAscii(text[pos + i]) != token[i]) return false;
  return true;
}

// Replaces every occurrence of `token` (letters matched in any case), found
// from left to right without overlap; inserted text is not searched again.
std::string ReplaceToken(std::string_view text, std::string_view token, std::string_view value) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    if (TokenAt(text, pos, token)) {
      out.append(value);
      pos += token.size();
    } else {
      out.push_back(text[pos++]);
    }
  }
  return out;
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

}  // namespace

void SetPathVariables(CommandState& state) {
  // %c: the folder part of "layrix.exe" completed against the current folder.
  std::string current = plat::FullPath("layrix.exe");
  size_t slash = current.rfind('\\');
  current = slash == std::string::npos ? std::string() : current.substr(0, slash + 1);
  const std::string simulatorFolder = state.Library ? state.Library->SimulatorFolder : std::string();
  state.VariableValues = {
      current,
      WithTrailingBackslash(plat::TempFolderValue()),
      simulatorFolder,
      simulatorFolder + "Addon Scenery\\",
      simulatorFolder + "Scenery\\",
      simulatorFolder + "Texture\\",
      simulatorFolder + "Effects\\",
      state.BatchFolder,
      "\\",
  };
}

std::string ExpandVariables(std::string_view text, const VariableTable& values) {
  std::string result(text);
  for (size_t i = 0; i < kVariableNames.size(); ++i)
    result = ReplaceToken(result, kVariableNames[i], values[i]);
  return result;
}

std::string ExpandPathVariables(std::string_view text, const VariableTable& values) {
  std::string result = ExpandVariables(text, values);
  // A "%" that is no variable makes the path unusable.
  if (result.find('%') != std::string::npos) return "-1";
  return result;
}

std::string ReplaceTitleVariable(std::string_view text, const std::string& title) {
  return ReplaceToken(text, "%u", title);
}

}  // namespace app
