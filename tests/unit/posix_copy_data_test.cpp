// How a file copy moves its data on the posix host: by shared blocks, by a
// copy inside the kernel, or by reading and writing.  Each way is forced in
// turn through the table of system calls (the test machine's file system
// usually shares no blocks, so that way is played by a stand-in), and each
// must give the same target: the same bytes, last-write time and attributes,
// whole or not at all.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace fs = std::filesystem;
namespace posix = plat::posix;

namespace {

enum class Way { SharedBlocks, KernelCopy, ReadAndWrite };
const char* NameOf(Way way) {
  switch (way) {
    case Way::SharedBlocks: return "shared blocks";
    case Way::KernelCopy: return "kernel copy";
    case Way::ReadAndWrite: return "read and write";
  }
  return "?";
}

// What the copy asked of the host, and what the stand-ins below answer.
struct Calls {
  int Clone = 0;
  int KernelCopy = 0;
  int Read = 0;
  int Write = 0;
};
Calls gCalls;
int gNotHere = EOPNOTSUPP;      // the error of a way that steps aside
size_t gStep = 1024 * 1024 + 7;  // the most one kernel copy call moves
int gFault = 0;                 // a fault the forced way answers, 0 for none
int gFaultAtCall = 1;           // ... at this call of it (1 = the first)
Way gWay = Way::ReadAndWrite;   // the way forced

// FICLONE where the file system shares blocks; elsewhere a stand-in that
// does what it does: `out` becomes the whole of `in`, offsets untouched.
int CloneOrStandIn(int in, int out) {
  ++gCalls.Clone;
  if (posix::DefaultSys().CloneFile(in, out) == 0) return 0;
  char buffer[64 * 1024];
  for (off_t at = 0;;) {
    ssize_t got = ::pread(in, buffer, sizeof buffer, at);
    if (got <= 0) return int(got);
    if (::pwrite(out, buffer, size_t(got), at) != got) return -1;
    at += got;
  }
}

int CloneNotHere(int, int) {
  ++gCalls.Clone;
  errno = gNotHere;
  return -1;
}

int CloneFault(int, int) {
  ++gCalls.Clone;
  errno = gFault;
  return -1;
}

// copy_file_range in steps of at most gStep bytes, so that a file of a few
// megabytes takes several calls, each short of what was asked; where the
// kernel lacks the call, a stand-in that reads and writes as much.
ssize_t KernelCopyInSteps(int in, int out, size_t count) {
  ++gCalls.KernelCopy;
  if (gFault && gWay == Way::KernelCopy && gCalls.KernelCopy >= gFaultAtCall) {
    errno = gFault;
    return -1;
  }
  count = std::min(count, gStep);
  ssize_t copied = posix::DefaultSys().CopyFileRange(in, out, count);
  if (copied >= 0 || (errno != ENOSYS && errno != EXDEV && errno != EOPNOTSUPP)) return copied;
  static char buffer[64 * 1024];
  ssize_t got = ::read(in, buffer, std::min(count, sizeof buffer));
  return got <= 0 ? got : ::write(out, buffer, size_t(got));
}

ssize_t KernelCopyNotHere(int, int, size_t) {
  ++gCalls.KernelCopy;
  errno = gNotHere;
  return -1;
}

ssize_t CountedRead(int fd, void* buffer, size_t count) {
  ++gCalls.Read;
  return posix::DefaultSys().Read(fd, buffer, count);
}

ssize_t CountedWrite(int fd, const void* data, size_t count) {
  ++gCalls.Write;
  if (gFault && gWay == Way::ReadAndWrite && gCalls.Write >= gFaultAtCall) {
    errno = gFault;
    return -1;
  }
  return posix::DefaultSys().Write(fd, data, count);
}

// Copies go `way`; a fault set in gFault strikes that way only.
void UseWay(Way way) {
  posix::SysCalls& sys = posix::Sys();
  sys = posix::DefaultSys();
  gCalls = {};
  gWay = way;
  sys.Read = CountedRead;
  sys.Write = CountedWrite;
  sys.CloneFile = way == Way::SharedBlocks ? (gFault ? CloneFault : CloneOrStandIn) : CloneNotHere;
  sys.CopyFileRange = way == Way::ReadAndWrite ? KernelCopyNotHere : KernelCopyInSteps;
}

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned value = seed;
  for (char& c : bytes) {
    value = value * 1103515245u + 12345u;
    c = char(value >> 16);
  }
  return bytes;
}

class PosixCopyData : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/layrix-copy-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    root_ = fs::canonical(folder).string();
    const std::string prefix = root_ + "/prefix";
    fs::create_directories(prefix + "/drive_c/d");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    posix::ResetCaches();
    gFault = 0;
    gFaultAtCall = 1;
    gNotHere = EOPNOTSUPP;
  }
  void TearDown() override {
    posix::Sys() = posix::DefaultSys();
    gFault = 0;
    fs::remove_all(root_);
    posix::ResetCaches();
  }
  // Host path of C:\d\<name>.
  std::string D(const std::string& name) const { return root_ + "/prefix/drive_c/d/" + name; }
  void Put(const std::string& name, const std::string& bytes, mode_t mode = 0644) {
    std::ofstream(D(name), std::ios::binary | std::ios::trunc) << bytes;
    ::chmod(D(name).c_str(), mode);
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(D(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  struct stat Stat(const std::string& name) const {
    struct stat st {};
    EXPECT_EQ(::stat(D(name).c_str(), &st), 0) << name;
    return st;
  }
  // The names in C:\d\<folder>, but for the lock file that lies beside a
  // staging folder while it exists.
  std::vector<std::string> Names(const std::string& folder = "") const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(D(folder)))
      if (e.path().extension() != ".lock") names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_;
};

// Every way, into a folder others see (through a temporary file) and into a
// private one (in place), for an empty file, a few megabytes exactly and a
// few megabytes and some bytes: the same bytes, time and attributes, and
// only the way forced did the work.
TEST_F(PosixCopyData, EachWayGivesTheSameTarget) {
  const bool xattrs = [&] {
    Put("probe", "");
    return ::setxattr(D("probe").c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0;
  }();
  fs::remove(D("probe"));
  plat::StagedFolder stagedFolder;
  ASSERT_TRUE(stagedFolder.Make("C:\\d"));
  const std::string staged = stagedFolder.Path();
  const std::string stagedHost = D(staged.substr(5));

  unsigned seed = 1;
  for (Way way : {Way::SharedBlocks, Way::KernelCopy, Way::ReadAndWrite}) {
    for (size_t size : {size_t(0), size_t(3) << 20, (size_t(3) << 20) + 1234}) {
      for (bool privateFolder : {false, true}) {
        SCOPED_TRACE(std::string(NameOf(way)) + ", " + std::to_string(size) + " bytes" +
                     (privateFolder ? ", in place" : ", through a temporary file"));
        const std::string bytes = Pattern(size, ++seed);
        fs::remove(D("src.bgl"));
        Put("src.bgl", bytes, seed % 2 ? 0444 : 0644);  // read-only in turn
        struct timespec times[2] = {{1000000000, 0}, {1234567890, long(seed) * 1000 + 7}};
        ASSERT_EQ(::utimensat(AT_FDCWD, D("src.bgl").c_str(), times, 0), 0);
        if (xattrs) ::setxattr(D("src.bgl").c_str(), "user.DOSATTRIB", "0x2", 3, 0);
        const std::string target = (privateFolder ? staged : "C:\\d") + "\\copy.bgl";
        const std::string targetName = (privateFolder ? staged.substr(5) + "/" : "") + "copy.bgl";

        UseWay(way);
        ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src.bgl", target, true, privateFolder));
        const Calls calls = gCalls;
        posix::Sys() = posix::DefaultSys();

        EXPECT_TRUE(Get(targetName) == bytes);
        const struct stat source = Stat("src.bgl"), copy = Stat(targetName);
        EXPECT_EQ(copy.st_size, off_t(size));
        EXPECT_EQ(copy.st_mtim.tv_sec, source.st_mtim.tv_sec);
        EXPECT_EQ(copy.st_mtim.tv_nsec, source.st_mtim.tv_nsec);
        EXPECT_EQ((copy.st_mode & 0222) == 0, seed % 2 == 1);
        plat::FileInfo sourceInfo, copyInfo;
        ASSERT_TRUE(plat::GetFileInfo("C:\\d\\src.bgl", sourceInfo));
        ASSERT_TRUE(plat::GetFileInfo(target, copyInfo));
        EXPECT_EQ(copyInfo.Attributes, sourceInfo.Attributes);
        EXPECT_EQ(copyInfo.LastWriteTime, sourceInfo.LastWriteTime);
        EXPECT_EQ((copyInfo.Attributes & plat::kAttrHidden) != 0, xattrs);

        if (size == 0) {
          // Nothing to share or copy: one read finds the end.
          EXPECT_EQ(calls.Clone + calls.KernelCopy, 0);
          EXPECT_EQ(calls.Read, 1);
        } else {
          EXPECT_EQ(calls.Clone, 1);
          switch (way) {
            case Way::SharedBlocks:
              EXPECT_EQ(calls.KernelCopy + calls.Read + calls.Write, 0);
              break;
            case Way::KernelCopy:  // in steps, none past the end
              EXPECT_EQ(size_t(calls.KernelCopy), (size + gStep - 1) / gStep);
              EXPECT_EQ(calls.Read + calls.Write, 0);
              break;
            case Way::ReadAndWrite:
              EXPECT_EQ(calls.KernelCopy, 1);
              EXPECT_GE(calls.Write, 12);  // 256 KB at a time
              break;
          }
        }
        fs::remove(D(targetName));
      }
    }
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{staged.substr(5), "src.bgl"}));
  ASSERT_TRUE(stagedFolder.Discard());
}

// Each answer that means "not here" hands the copy to the next way, which
// then does all of it.
TEST_F(PosixCopyData, EveryNotHereAnswerStepsAside) {
  const std::string bytes = Pattern(300 * 1000 + 1, 7);
  Put("src", bytes);
  for (int error : {EOPNOTSUPP, EXDEV, EINVAL, ENOTTY, ENOSYS, EBADF, EPERM, EACCES, ETXTBSY}) {
    SCOPED_TRACE(posix::ErrnoText(error));
    gNotHere = error;
    UseWay(Way::KernelCopy);
    ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\by-kernel", true));
    EXPECT_EQ(gCalls.Read, 0);
    UseWay(Way::ReadAndWrite);
    ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\by-reading", true));
    EXPECT_GE(gCalls.Read, 1);
    posix::Sys() = posix::DefaultSys();
    EXPECT_TRUE(Get("by-kernel") == bytes);
    EXPECT_TRUE(Get("by-reading") == bytes);
    fs::remove(D("by-kernel"));
    fs::remove(D("by-reading"));
  }
  // A kernel copy that finds nothing to copy in a file that had data (as
  // some special file systems answer) hands over to reading, which tells.
  posix::Sys().CopyFileRange = [](int, int, size_t) -> ssize_t { return 0; };
  posix::Sys().CloneFile = CloneNotHere;
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\read", true));
  EXPECT_TRUE(Get("read") == bytes);
}

// A fault of any way fails the copy and is told as such: an existing target stays
// as it was, a new one does not appear, and no temporary file stays behind.
// Once a way has moved some data, even a "not here" answer is a fault.
TEST_F(PosixCopyData, FaultsFailTheCopyAndLeaveNothing) {
  const std::string bytes = Pattern((size_t(3) << 20) + 99, 3);
  Put("src", bytes);
  Put("dst", "old");
  plat::StagedFolder stagedFolder;
  ASSERT_TRUE(stagedFolder.Make("C:\\d"));
  const std::string staged = stagedFolder.Path();
  struct Case {
    Way TheWay;
    int Fault;
    int AtCall;
  };
  const Case cases[] = {
      {Way::SharedBlocks, ENOSPC, 1}, {Way::SharedBlocks, EIO, 1},
      {Way::SharedBlocks, EDQUOT, 1}, {Way::KernelCopy, ENOSPC, 1},
      {Way::KernelCopy, EIO, 2},      {Way::KernelCopy, EFBIG, 3},
      {Way::KernelCopy, EXDEV, 2},    {Way::KernelCopy, ENOENT, 2},  // told as EIO
      {Way::ReadAndWrite, ENOSPC, 1}, {Way::ReadAndWrite, EDQUOT, 5},
  };
  for (const Case& c : cases) {
    for (const std::string& target : {std::string("C:\\d\\dst"), std::string("C:\\d\\fresh"),
                                       staged + "\\fresh"}) {
      SCOPED_TRACE(std::string(NameOf(c.TheWay)) + ", " + posix::ErrnoText(c.Fault) + " at call " +
                   std::to_string(c.AtCall) + ", into " + target);
      gFault = c.Fault;
      gFaultAtCall = c.AtCall;
      UseWay(c.TheWay);
      const plat::FileResult result =
          plat::FileCopier().Copy("C:\\d\\src", target, false, target.find(staged) == 0);
      const plat::FileResult expected = posix::ResultOfErrno(c.Fault == ENOENT ? EIO : c.Fault);
      EXPECT_TRUE(result.IsFault());
      EXPECT_EQ(result.Outcome, expected.Outcome);
      EXPECT_EQ(result.Cause, expected.Cause);
      gFault = 0;
      posix::Sys() = posix::DefaultSys();
      EXPECT_EQ(Get("dst"), "old");
      EXPECT_EQ(Names(), (std::vector<std::string>{staged.substr(5), "dst", "src"}));
      EXPECT_TRUE(Names(staged.substr(5)).empty());
    }
  }
}

// A file that grows or shrinks while it is copied is copied to its end, by
// whichever way moves its data.  The file changes just before the first of
// its data moves.
std::string gChanging;     // host path of the file to change
std::string gAppended;     // bytes added to it, or "" to cut it to 1000 bytes
bool gChanged = false;

void ChangeOnce() {
  if (gChanged) return;
  gChanged = true;
  if (!gAppended.empty())
    std::ofstream(gChanging, std::ios::binary | std::ios::app) << gAppended;
  else
    EXPECT_EQ(::truncate(gChanging.c_str(), 1000), 0);
}

TEST_F(PosixCopyData, FileChangingMeanwhileIsCopiedToItsEnd) {
  gChanging = D("src");
  for (Way way : {Way::KernelCopy, Way::ReadAndWrite}) {
    for (bool grow : {true, false}) {
      SCOPED_TRACE(std::string(NameOf(way)) + (grow ? ", growing" : ", shrinking"));
      const std::string bytes = Pattern(2 << 20, grow ? 11 : 12);
      Put("src", bytes);
      gAppended = grow ? Pattern(5000, 13) : "";
      gChanged = false;
      UseWay(way);
      if (way == Way::KernelCopy) {
        posix::Sys().CopyFileRange = [](int in, int out, size_t count) {
          ChangeOnce();
          return KernelCopyInSteps(in, out, count);
        };
      } else {
        posix::Sys().Read = [](int fd, void* buffer, size_t count) {
          ChangeOnce();
          return CountedRead(fd, buffer, count);
        };
      }
      ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\copy", false));
      posix::Sys() = posix::DefaultSys();
      EXPECT_TRUE(gChanged);
      EXPECT_TRUE(Get("copy") == (grow ? bytes + gAppended : bytes.substr(0, 1000)));
    }
  }
}

// The host's own calls: FICLONE shares the blocks or says "not here", and
// copy_file_range copies or says "not here"; the copy serves either way.
TEST_F(PosixCopyData, TheHostsOwnWaysServeOrStepAside) {
  const std::string bytes = Pattern((size_t(2) << 20) + 5, 21);
  Put("src", bytes);
  int in = ::open(D("src").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(in, 0);
  for (bool clone : {true, false}) {
    SCOPED_TRACE(clone ? "FICLONE" : "copy_file_range");
    int out = ::open(D("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(out, 0);
    ASSERT_EQ(::lseek(in, 0, SEEK_SET), 0);
    bool served = false;
    if (clone) {
      served = posix::DefaultSys().CloneFile(in, out) == 0;
    } else {
      ssize_t copied;
      while ((copied = posix::DefaultSys().CopyFileRange(in, out, size_t(1) << 30)) > 0) served = true;
      if (copied < 0) served = false;
    }
    const int error = errno;
    ::close(out);
    if (served)
      EXPECT_TRUE(Get("out") == bytes);
    else
      EXPECT_TRUE(error == EOPNOTSUPP || error == EXDEV || error == EINVAL || error == ENOTTY ||
                  error == ENOSYS)
          << posix::ErrnoText(error);
  }
  ::close(in);
  ASSERT_TRUE(plat::FileCopier().Copy("C:\\d\\src", "C:\\d\\copy", false));
  EXPECT_TRUE(Get("copy") == bytes);
}

}  // namespace
