// EnvVar: an environment variable set (or removed) for the life of the object,
// and put back as it was when the object goes.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace testing_support {

class EnvVar {
 public:
  // `value` nullptr removes the variable.
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }
  EnvVar(const EnvVar&) = delete;
  EnvVar& operator=(const EnvVar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace testing_support
