// Path variables of arguments (%c %p %f %a %s %t %x %b, and the doubled
// backslash) and the title variable %u.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <string>
#include <string_view>

#include "app/command_state.h"

namespace app {

// Computes the values of the nine path variables into state.VariableValues.
void SetPathVariables(CommandState& state);
// Replaces the tokens of the nine variables in `text` by `values`; a "%" left
// over turns the whole text into "-1".
std::string ExpandPathVariables(std::string_view text, const VariableTable& values);
// Replaces every "%u" (any letter case) by `title`.
std::string ReplaceTitleVariable(std::string_view text, const std::string& title);

}  // namespace app
