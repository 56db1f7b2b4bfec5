#include "test_prefix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace testing_support {

namespace {

// Doubles the backslashes of a key or value for the .reg text format.
std::string RegEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string KeyLine(const std::string& key) {
  std::string out = "[";
  for (char c : key) {
    if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out + "] 1700000000";
}

std::string HiveText(const std::vector<std::pair<std::string, std::string>>& values,
                     const std::string& comment) {
  std::string text = "WINE REGISTRY Version 2\n;; " + comment + "\n\n#arch=win64\n";
  std::vector<std::string> keys;
  for (const auto& kv : values)
    if (std::find(keys.begin(), keys.end(), kv.first) == keys.end()) keys.push_back(kv.first);
  for (const auto& key : keys) {
    text += "\n" + KeyLine(key) + "\n#time=1d9a0b0c0d0e0f0\n";
    for (const auto& kv : values)
      if (kv.first == key) text += kv.second + "\n";
  }
  return text;
}

}  // namespace

TestPrefix::TestPrefix() {
  std::string tmpl = (fs::temp_directory_path() / "layrix-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  root_ = buf.data();
  MakeDirs(DriveC());
  MakeDirs(Prefix() + "/dosdevices");
  MakeDirs(Home());
  MakeDirs(Work());
  if (symlink("../drive_c", (Prefix() + "/dosdevices/c:").c_str()) != 0)
    throw std::runtime_error("symlink failed");
  WriteRegistry();
}

TestPrefix::~TestPrefix() {
  std::error_code ec;
  // Give write permission back so that read-only test files can go.
  for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) chmod(it->path().c_str(), 0755);
  }
  fs::remove_all(root_, ec);
}

std::string TestPrefix::C(const std::string& below) const {
  std::string rel = below;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  while (!rel.empty() && rel.front() == '/') rel.erase(rel.begin());
  return rel.empty() ? DriveC() : DriveC() + "/" + rel;
}

void TestPrefix::RegisterFS9(const std::string& appPath) {
  userValues_.push_back({"Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
                         "\"AppPath\"=\"" + RegEscape(appPath) + "\""});
  WriteRegistry();
}

void TestPrefix::RegisterFSX(const std::string& appPath, const std::string& commonAppData) {
  userValues_.push_back({"Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0",
                         "\"AppPath\"=\"" + RegEscape(appPath) + "\""});
  if (!commonAppData.empty())
    systemValues_.push_back({"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                             "\"Common AppData\"=\"" + RegEscape(commonAppData) + "\""});
  WriteRegistry();
}

void TestPrefix::RegisterAppPath(const std::string& key, const std::string& appPath) {
  userValues_.push_back({key, "\"AppPath\"=\"" + RegEscape(appPath) + "\""});
  WriteRegistry();
}

void TestPrefix::SetCommonAppData(const std::string& folder) {
  systemValues_.push_back({"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           "\"Common AppData\"=\"" + RegEscape(folder) + "\""});
  WriteRegistry();
}

void TestPrefix::AddUserValue(const std::string& key, const std::string& rawValueLine) {
  userValues_.push_back({key, rawValueLine});
  WriteRegistry();
}

void TestPrefix::AddSystemValue(const std::string& key, const std::string& rawValueLine) {
  systemValues_.push_back({key, rawValueLine});
  WriteRegistry();
}

void TestPrefix::WriteRegistry() {
  WriteFile(Prefix() + "/user.reg", HiveText(userValues_, "All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000"));
  WriteFile(Prefix() + "/system.reg", HiveText(systemValues_, "All keys relative to \\\\Machine"));
}

void TestPrefix::MakeFS9(const std::string& cfgText) {
  RegisterFS9("C:\\FS9");
  for (const char* dir : {"FS9/Scenery/World/scenery", "FS9/Scenery/BASE/scenery",
                          "FS9/Addon Scenery/scenery", "FS9/Texture", "FS9/Effects"})
    MakeDirs(C(dir));
  WriteFile(C("FS9/scenery.cfg"), cfgText);
}

void WriteFile(const std::string& hostPath, const std::string& bytes) {
  fs::path p(hostPath);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + hostPath);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return "";
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool PathExists(const std::string& hostPath) {
  struct stat st;
  return lstat(hostPath.c_str(), &st) == 0;
}

void MakeDirs(const std::string& hostPath) { fs::create_directories(hostPath); }

void RemoveAll(const std::string& hostPath) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(hostPath, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(hostPath, ec);
}

std::vector<std::string> ListTree(const std::string& hostFolder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(hostFolder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::string rel = fs::relative(it->path(), hostFolder).string();
    if (it->is_directory() && !it->is_symlink()) rel += "/";
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

std::string ReadAll(int fd) {
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

// A started program: its process and our ends of its standard streams
// (-1 for standard input when it was started closed).
struct Spawned {
  pid_t Pid = -1;
  int In = -1;
  int Out = -1;
  int Err = -1;
};

Spawned SpawnLayrix(const TestPrefix& prefix, const std::vector<std::string>& args,
                    const RunOptions& options) {
  // Environment: ours, less the variables the program reads, plus the prefix.
  std::vector<std::string> env;
  auto removed = [&](const std::string& name) {
    static const char* always[] = {"WINEPREFIX", "HOME", "TEMP", "TMP", "TMPDIR"};
    for (const char* a : always)
      if (name == a) return true;
    for (const auto& u : options.Unset)
      if (name == u) return true;
    for (const auto& kv : options.Env)
      if (name == kv.first) return true;
    return false;
  };
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (!removed(name)) env.push_back(entry);
  }
  // WINEPREFIX and HOME point at the prefix unless the options give or
  // remove them.
  for (const auto& [name, value] : {std::pair<std::string, std::string>{"WINEPREFIX", prefix.Prefix()},
                                    {"HOME", prefix.Home()}}) {
    const bool given = std::any_of(options.Env.begin(), options.Env.end(),
                                   [&](const auto& kv) { return kv.first == name; }) ||
                       std::find(options.Unset.begin(), options.Unset.end(), name) != options.Unset.end();
    if (!given) env.push_back(name + "=" + value);
  }
  for (const auto& kv : options.Env) {
    bool unset = std::find(options.Unset.begin(), options.Unset.end(), kv.first) != options.Unset.end();
    if (!unset) env.push_back(kv.first + "=" + kv.second);
  }

  std::vector<std::string> argv_s;
  if (options.RunAsUser >= 0) {
    // The temporary folder is made for its owner alone: open it for reading.
    std::error_code ec;
    fs::permissions(prefix.Root(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec, ec);
    const std::string id = std::to_string(options.RunAsUser);
    for (const std::string& word : {std::string("/usr/bin/setpriv"), "--reuid=" + id,
                                    "--regid=" + id, std::string("--clear-groups"), std::string("--")})
      argv_s.push_back(word);
  }
  argv_s.push_back(LAYRIX_EXE);
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  // Close-on-exec, so that a program started meanwhile from another thread
  // does not keep this one's pipes open (its output would then never end).
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) || pipe2(outPipe, O_CLOEXEC) || pipe2(errPipe, O_CLOEXEC))
    throw std::runtime_error("pipe failed");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.CloseStdin) {
    posix_spawn_file_actions_addclose(&actions, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  }
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  std::string cwd = options.Cwd.empty() ? prefix.Work() : options.Cwd;
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

  // A file-size limit is inherited from this process: lower the soft limit
  // around the spawn only (no other thread of ours writes files meanwhile).
  struct rlimit savedLimit {};
  const bool limitSize = options.FileSizeLimit >= 0;
  if (limitSize) {
    getrlimit(RLIMIT_FSIZE, &savedLimit);
    struct rlimit lowered = savedLimit;
    lowered.rlim_cur = static_cast<rlim_t>(options.FileSizeLimit);
    if (savedLimit.rlim_max != RLIM_INFINITY && lowered.rlim_cur > savedLimit.rlim_max)
      lowered.rlim_cur = savedLimit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  if (limitSize) setrlimit(RLIMIT_FSIZE, &savedLimit);
  posix_spawn_file_actions_destroy(&actions);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    throw std::runtime_error(std::string("posix_spawn failed: ") + strerror(rc));
  }
  return Spawned{pid, inPipe[1], outPipe[0], errPipe[0]};
}

// Writes all of `data` to `fd`; false when the reader has gone.
bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int ExitCodeOf(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

RunResult RunLayrix(const TestPrefix& prefix, const std::vector<std::string>& args,
                    const RunOptions& options) {
  const Spawned child = SpawnLayrix(prefix, args, options);
  const pid_t pid = child.Pid;

  // Feed standard input from a thread so that large outputs cannot dead-lock.
  std::thread feeder([fd = child.In, data = options.Stdin]() {
    signal(SIGPIPE, SIG_IGN);
    WriteAll(fd, data);
    close(fd);
  });
  // The kill comes from its own thread; it is joined before the child is
  // reaped, so that it can only ever reach this child (or its zombie).
  // It gives up as soon as the program's output has ended.
  std::mutex killMutex;
  std::condition_variable killWake;
  bool outputEnded = false;
  std::thread killer;
  if (options.KillAfterMicroseconds >= 0) {
    killer = std::thread([&, pid, delay = options.KillAfterMicroseconds]() {
      std::unique_lock<std::mutex> lock(killMutex);
      if (!killWake.wait_for(lock, std::chrono::microseconds(delay), [&] { return outputEnded; }))
        kill(pid, SIGKILL);
    });
  }
  RunResult result;
  std::thread errReader([&]() { result.Err = ReadAll(child.Err); });
  result.Out = ReadAll(child.Out);
  errReader.join();
  feeder.join();
  close(child.Out);
  close(child.Err);

  if (killer.joinable()) {
    {
      std::lock_guard<std::mutex> lock(killMutex);
      outputEnded = true;
    }
    killWake.notify_all();
    killer.join();
  }
  result.ExitCode = ExitCodeOf(pid);
  return result;
}

RunningLayrix::RunningLayrix(const TestPrefix& prefix, const std::vector<std::string>& args,
                             const RunOptions& options) {
  signal(SIGPIPE, SIG_IGN);
  const Spawned child = SpawnLayrix(prefix, args, options);
  pid_ = child.Pid;
  in_ = child.In;
  if (!options.Stdin.empty()) WriteStdin(options.Stdin);
  if (options.CloseStdin) CloseStdin();
  auto reader = [this](int fd, std::string& into, bool& ended) {
    char buf[4096];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      if (n <= 0) {
        ended = true;
        changed_.notify_all();
        break;
      }
      into.append(buf, static_cast<size_t>(n));
      changed_.notify_all();
    }
    close(fd);
  };
  outReader_ = std::thread(reader, child.Out, std::ref(result_.Out), std::ref(outEnded_));
  errReader_ = std::thread(reader, child.Err, std::ref(result_.Err), std::ref(errEnded_));
}

RunningLayrix::~RunningLayrix() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Finish();
  }
}

void RunningLayrix::WriteStdin(const std::string& bytes) {
  if (in_ >= 0) WriteAll(in_, bytes);
}

void RunningLayrix::CloseStdin() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool RunningLayrix::WaitFor(const std::string& text, bool onStderr, int seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::string& stream = onStderr ? result_.Err : result_.Out;
  const bool& ended = onStderr ? errEnded_ : outEnded_;
  changed_.wait_for(lock, std::chrono::seconds(seconds),
                    [&] { return stream.find(text) != std::string::npos || ended; });
  return stream.find(text) != std::string::npos;
}

bool RunningLayrix::WaitForOutput(const std::string& text, int seconds) {
  return WaitFor(text, false, seconds);
}

bool RunningLayrix::WaitForError(const std::string& text, int seconds) {
  return WaitFor(text, true, seconds);
}

std::string RunningLayrix::ErrorSoFar() {
  std::lock_guard<std::mutex> lock(mutex_);
  return result_.Err;
}

void RunningLayrix::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

RunResult RunningLayrix::Finish() {
  CloseStdin();
  if (outReader_.joinable()) outReader_.join();
  if (errReader_.joinable()) errReader_.join();
  if (pid_ > 0) {
    result_.ExitCode = ExitCodeOf(pid_);
    pid_ = -1;
  }
  return result_;
}

KillTrials RunKilledAtRandomMoments(const TestPrefix& prefix, const std::vector<std::string>& args,
                                    int kills, uint32_t seed, const std::function<void()>& reset,
                                    const std::function<void(const std::string& what)>& check) {
  KillTrials t;
  for (int i = 0; i < 3; ++i) {
    reset();
    const auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunLayrix(prefix, args);
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    if (r.ExitCode != 0) return t;
    t.WindowMicros = std::max<long long>(
        t.WindowMicros, std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
  }
  std::mt19937 random(seed);
  for (int trial = 0; t.Killed < kills && trial < 10 * kills; ++trial, ++t.Trials) {
    reset();
    RunOptions o;
    o.KillAfterMicroseconds = std::uniform_int_distribution<long long>(0, t.WindowMicros)(random);
    RunResult r = RunLayrix(prefix, args, o);
    if (r.ExitCode == 128 + 9) {
      ++t.Killed;
    } else {
      EXPECT_EQ(r.ExitCode, 0) << r.Err;
      if (r.ExitCode != 0) break;
      t.WindowMicros = std::max<long long>(1000, t.WindowMicros * 9 / 10);
    }
    check("trial " + std::to_string(trial) + ", killed after " +
          std::to_string(o.KillAfterMicroseconds) + " us");
    if (::testing::Test::HasFatalFailure()) break;
  }
  return t;
}

std::string Banner() { return "\r\n Layrix V1.1\r\n\r\n"; }

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

std::string SourceDir() { return LAYRIX_SOURCE_DIR; }

std::string StockCfgPath(const std::string& name) { return SourceDir() + "/tests/data/" + name; }

}  // namespace testing_support
