// Reading the command line.
#include "app/command_line.h"

#include "platform/platform.h"

namespace app {

void ReadCommandLine(CommandState& state, const std::vector<std::string>& words) {
  // One command of at most four words; further words are dropped.  Every
  // word is lower-cased, titles and paths included.
  state.ArgCount = static_cast<int32_t>(words.size() < 4 ? words.size() : 4);
  for (auto& arg : state.Args) arg.clear();
  for (int32_t i = 0; i < state.ArgCount; ++i)
    state.Args[static_cast<size_t>(i) + 1] = plat::LowerCase(words[static_cast<size_t>(i)]);
}

}  // namespace app
