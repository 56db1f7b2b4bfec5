// Running the program inside the test process, with faults injected into the
// system calls through which the posix build writes, renames and removes
// files (a full disk, an input/output error, a denied permission at a chosen
// call), and its standard output and error caught.
#pragma once

#include <string>
#include <vector>

#include "test_prefix.h"

namespace testing_support {

// One call to fail.
struct InjectedFault {
  enum Call { Create, Write, Rename, Unlink, RemoveFolder, MakeFolder, SetMode, SetTimes };
  Call On = Write;
  // The name the call is about, as a shell pattern over the last component:
  // the file created, the file written to (as it was opened), the target of
  // a rename, the entry removed or made, the file whose mode or times are
  // set (as it was opened).  Writing covers every way a copy moves data
  // into the file (write, shared blocks, a copy in the kernel).
  std::string Name = "*";
  int Error = 0;  // the errno value the call fails with
  int Nth = 1;    // the how-manieth matching call fails; the others succeed
};

// Runs the program's main sequence on `args` against the prefix, in the
// folder `cwd` (host path; default: the prefix's work folder), with standard
// input empty; the faults apply to this run only.
RunResult RunInProcess(const TestPrefix& prefix, const std::vector<std::string>& args,
                       const std::string& cwd = "", const std::vector<InjectedFault>& faults = {});

}  // namespace testing_support
