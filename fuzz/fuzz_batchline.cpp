// Fuzzes what a batch file goes through: the split into lines, the split of
// each line into words, the parser with its integer readings and path
// variables, and the path-variable expansion on its own with values taken
// from the input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/batch.h"
#include "app/parser.h"
#include "app/path_variables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // An empty prefix: drive Z: is the host root; folder tests only look.
  const std::string base = "/tmp/layrix-fuzz-batch-" + std::to_string(getpid());
  setenv("WINEPREFIX", base.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // Variable values: the input cut at its first NUL, nine pieces at '|'.
  app::VariableTable values;
  {
    const std::string head = bytes.substr(0, bytes.find('\0'));
    size_t from = 0;
    for (size_t i = 0; i < values.size() && from <= head.size(); ++i) {
      size_t bar = head.find('|', from);
      if (bar == std::string::npos) bar = head.size();
      values[i] = head.substr(from, bar - from);
      from = bar + 1;
    }
  }

  app::CommandState state;
  state.BatchMode = true;  // as inside a batch: "-b" and "-bu" are refused, nothing is asked
  state.BatchTitle = "t";
  for (const std::string& line : app::SplitLines(bytes)) {
    if (line.find('\n') != std::string::npos) std::abort();

    const std::string expanded = app::ExpandPathVariables(line, values);
    if (expanded.find('%') != std::string::npos) std::abort();  // a stray '%' gives "-1"
    if (line.find('%') == std::string::npos && line.find("\\\\") == std::string::npos &&
        expanded != line)
      std::abort();  // nothing to replace: the text stays as it is
    (void)app::ReplaceTitleVariable(line, values[0]);

    app::BatchWords words = app::SplitBatchLine(line);
    if (words.Count < 0 || words.Count > 5) std::abort();
    if (words.Count == 0) continue;
    state.ArgCount = words.Count;
    state.Args = std::move(words.Args);
    try {
      (void)app::ParseCommand(state);
    } catch (const FatalError&) {
      // a strict integer argument that is not one: the run would stop here
    }
  }
  return 0;
}
