#include "in_process.h"

#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>

#include "app/run.h"
#include "platform/posix/posix_internal.h"

namespace testing_support {
namespace {

std::vector<InjectedFault> gFaults;
std::vector<int> gSeen;
std::map<int, std::string> gOpenedAs;  // descriptor -> name it was opened under

std::string LastComponent(const char* path) {
  const std::string text = path ? path : "";
  const size_t slash = text.find_last_of('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

// True when this call is the one to fail (errno is then set).
bool Fails(InjectedFault::Call call, const std::string& name) {
  for (size_t i = 0; i < gFaults.size(); ++i) {
    const InjectedFault& f = gFaults[i];
    if (f.On != call || fnmatch(f.Name.c_str(), name.c_str(), 0) != 0) continue;
    if (++gSeen[i] == f.Nth) {
      errno = f.Error;
      return true;
    }
  }
  return false;
}

const plat::posix::SysCalls& Real() { return plat::posix::DefaultSys(); }

int OpenCall(int dir, const char* path, int flags, mode_t mode) {
  const std::string name = LastComponent(path);
  if ((flags & O_CREAT) && Fails(InjectedFault::Create, name)) return -1;
  const int fd = Real().Open(dir, path, flags, mode);
  if (fd >= 0) gOpenedAs[fd] = name;
  return fd;
}

// A copy's data may go by shared blocks or a copy inside the kernel instead
// of write: a fault meant for writing the file strikes those too.
bool WriteFails(int fd) {
  auto found = gOpenedAs.find(fd);
  return found != gOpenedAs.end() && Fails(InjectedFault::Write, found->second);
}

ssize_t WriteCall(int fd, const void* data, size_t count) {
  if (WriteFails(fd)) return -1;
  return Real().Write(fd, data, count);
}

// These count as a write only when the host made them move data, so that a
// way this file system does not offer never takes a write's place in the
// count; a fault then comes after the data moved, which the copy must meet
// all the same.
int CloneFileCall(int in, int out) {
  if (Real().CloneFile(in, out) != 0) return -1;
  return WriteFails(out) ? -1 : 0;
}

ssize_t CopyFileRangeCall(int in, int out, size_t count) {
  const ssize_t copied = Real().CopyFileRange(in, out, count);
  if (copied <= 0) return copied;
  return WriteFails(out) ? -1 : copied;
}

int FchmodCall(int fd, mode_t mode) {
  auto found = gOpenedAs.find(fd);
  if (found != gOpenedAs.end() && Fails(InjectedFault::SetMode, found->second)) return -1;
  return Real().Fchmod(fd, mode);
}

int FutimensCall(int fd, const struct timespec times[2]) {
  auto found = gOpenedAs.find(fd);
  if (found != gOpenedAs.end() && Fails(InjectedFault::SetTimes, found->second)) return -1;
  return Real().Futimens(fd, times);
}

int CloseCall(int fd) {
  gOpenedAs.erase(fd);
  return Real().Close(fd);
}

int RenameCall(int fromDir, const char* from, int toDir, const char* to) {
  if (Fails(InjectedFault::Rename, LastComponent(to))) return -1;
  return Real().Rename(fromDir, from, toDir, to);
}

int RenameNoReplaceCall(int fromDir, const char* from, int toDir, const char* to) {
  if (Fails(InjectedFault::Rename, LastComponent(to))) return -1;
  return Real().RenameNoReplace(fromDir, from, toDir, to);
}

int UnlinkCall(int dir, const char* path, int flags) {
  const auto call = (flags & AT_REMOVEDIR) ? InjectedFault::RemoveFolder : InjectedFault::Unlink;
  if (Fails(call, LastComponent(path))) return -1;
  return Real().Unlink(dir, path, flags);
}

int MkdirCall(int dir, const char* path, mode_t mode) {
  if (Fails(InjectedFault::MakeFolder, LastComponent(path))) return -1;
  return Real().Mkdir(dir, path, mode);
}

// An environment variable set for the run, and put back after it.
class EnvSetting {
 public:
  EnvSetting(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~EnvSetting() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ReadAll(int fd) {
  std::string out;
  char buffer[65536];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(got));
  return out;
}

}  // namespace

RunResult RunInProcess(const TestPrefix& prefix, const std::vector<std::string>& args,
                       const std::string& cwd, const std::vector<InjectedFault>& faults) {
  EnvSetting winePrefix("WINEPREFIX", prefix.Prefix()), home("HOME", prefix.Home());
  EnvSetting temp("TEMP", std::nullopt), tmp("TMP", std::nullopt), tmpdir("TMPDIR", std::nullopt);
  char here[4096];
  const bool haveHere = getcwd(here, sizeof here) != nullptr;
  if (chdir((cwd.empty() ? prefix.Work() : cwd).c_str()) != 0) return {};
  plat::posix::ResetCaches();

  fflush(stdout);
  fflush(stderr);
  FILE* out = tmpfile();
  FILE* err = tmpfile();
  const int savedIn = dup(0), savedOut = dup(1), savedErr = dup(2);
  const int devNull = open("/dev/null", O_RDONLY);
  dup2(devNull, 0);
  dup2(fileno(out), 1);
  dup2(fileno(err), 2);
  close(devNull);

  gFaults = faults;
  gSeen.assign(faults.size(), 0);
  gOpenedAs.clear();
  plat::posix::SysCalls& sys = plat::posix::Sys();
  sys = Real();
  sys.Open = OpenCall;
  sys.Write = WriteCall;
  sys.CloneFile = CloneFileCall;
  sys.CopyFileRange = CopyFileRangeCall;
  sys.Close = CloseCall;
  sys.Rename = RenameCall;
  sys.RenameNoReplace = RenameNoReplaceCall;
  sys.Unlink = UnlinkCall;
  sys.Mkdir = MkdirCall;
  sys.Fchmod = FchmodCall;
  sys.Futimens = FutimensCall;

  RunResult result;
  result.ExitCode = app::RunLayrix(args);

  sys = Real();
  gFaults.clear();
  fflush(stdout);
  fflush(stderr);
  dup2(savedIn, 0);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  close(savedIn);
  close(savedOut);
  close(savedErr);
  clearerr(stdin);
  result.Out = ReadAll(fileno(out));
  result.Err = ReadAll(fileno(err));
  fclose(out);
  fclose(err);
  plat::posix::ResetCaches();
  if (haveHere && chdir(here) != 0) result.ExitCode = -1;
  return result;
}

}  // namespace testing_support
