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
// Replaces the tokens of the nine variables in `text` by `values`; a "%"
// that is no variable stays as written ("50%").
std::string ExpandVariables(std::string_view text, const VariableTable& values);
// The same for a path, where a "%" left over turns the whole text into "-1"
// (a path that names no folder, so that nothing is done with it).
std::string ExpandPathVariables(std::string_view text, const VariableTable& values);
// Replaces every "%u" (any letter case) by `title`.
std::string ReplaceTitleVariable(std::string_view text, const std::string& title);

}  // namespace app
