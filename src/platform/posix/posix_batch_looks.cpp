// Looks at many paths at once, side by side on a few threads: the machinery
// behind the folder test and the file reads of many paths (FoldersExist,
// FilesBeingRead).
//
// Each path is spelled out on the calling thread, one after the other, and
// given its place (the handles, the spelled folders and the name cache are
// that thread's).  The looks themselves, system calls on folder handles the
// batch holds that share nothing else, run on a few threads meanwhile, each
// run of paths as soon as it is spelled out.  A path a look cannot settle
// (not there as spelled, say) is then settled on the calling thread, while
// the other threads go on looking: the first such path may cost the listing
// of a folder of many thousand names.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

// Texts kept side by side in large blocks, each ended by a NUL, that stay
// where they are while more are added: other threads read the first ones
// meanwhile.
class StableTexts {
 public:
  const char* Add(const std::string& text) {
    if (blocks_.empty() || used_ + text.size() + 1 > blockSize_) {
      blockSize_ = std::max(kBlockSize, text.size() + 1);
      blocks_.push_back(std::make_unique<char[]>(blockSize_));
      used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, text.c_str(), text.size() + 1);
    used_ += text.size() + 1;
    return at;
  }

 private:
  static constexpr size_t kBlockSize = 64 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t used_ = 0;
  size_t blockSize_ = 0;
};

// How many threads share the looks at `count` paths: one for fewer than
// `pathsPerThread` (a thread costs more than it saves there), else one per
// core of `cores`, at most four.
size_t LookThreadsFor(size_t count, size_t pathsPerThread,
                      size_t cores = std::max(1u, std::thread::hardware_concurrency())) {
  constexpr size_t kMaxThreads = 4;
  return std::max<size_t>(1, std::min({cores, kMaxThreads, count / pathsPerThread}));
}

std::string_view ParentOf(std::string_view hostPath) {
  const size_t slash = hostPath.rfind('/');
  return slash == std::string_view::npos || slash == 0 ? std::string_view() : hostPath.substr(0, slash);
}

// The folder handles a batch looks through, each held until the batch ends.
//
// A path is looked at through the handle of its own folder when one is
// kept, else through that of the folder above it: the areas of a library
// lie side by side in one folder, and "<area>\scenery" is looked at from
// there.  Paths spread over sibling folders, each with a few paths of its
// own (add-on packages, each in its folder below one discovery folder: its
// description and "<component>\scenery"), are looked at through the handle
// of the folder that holds the siblings, opened once the second sibling
// comes: a handle for each would cost a lookup of the whole host path
// apiece.
class BatchFolders {
 public:
  At PlaceOf(const Resolved& spelled) {
    if (spelled.Name.empty()) return {AT_FDCWD, spelled.Host, nullptr};  // a drive root
    const std::string_view folder = spelled.Folder;
    const std::string_view above = ParentOf(folder);
    // Most paths are placed as the one before them (areas side by side).
    if (!above.empty() && above == lastAbove_) return Below(lastDir_, spelled, lastBase_);
    if (const int* dir = Held(folder)) return {*dir, spelled.Name, nullptr};
    const std::string_view twoUp = ParentOf(above);
    if (!above.empty()) {
      if (const int* dir = Held(above)) return Remembered(*dir, spelled, above, above);
      if (!twoUp.empty())
        if (const int* dir = Held(twoUp)) return Remembered(*dir, spelled, above, twoUp);
    }
    if (HeldFolder kept = KeptFolderHandle(spelled.Folder)) {
      const int dir = *kept;
      Hold(folder, std::move(kept));
      return {dir, spelled.Name, nullptr};
    }
    // Paths spread over many folders would otherwise hold a handle open
    // for each, up to the process's limit, and the lookups after the looks
    // would find no handle left: past this many, a look goes by the host
    // path.
    constexpr size_t kMostHeldFolders = 128;
    if (above.empty() || held_.size() >= kMostHeldFolders) return {AT_FDCWD, spelled.Host, nullptr};
    const bool sibling = !twoUp.empty() && ParentOf(lastOpened_) == twoUp;
    const std::string_view open = sibling ? twoUp : above;
    HeldFolder handle = FolderHandle(std::string(open));
    if (!handle) return {AT_FDCWD, spelled.Host, nullptr};
    const int dir = *handle;
    Hold(open, std::move(handle));
    lastOpened_ = std::string(open);
    return Remembered(dir, spelled, above, open);
  }

 private:
  // `spelled` below the folder `base` (one of its own folder's ancestors),
  // whose text is `baseSize` long.
  static At Below(int dir, const Resolved& spelled, size_t baseSize) {
    std::string below;
    below.reserve(spelled.Folder.size() - baseSize + spelled.Name.size());
    below.append(spelled.Folder, baseSize + 1).append(1, '/').append(spelled.Name);
    return {dir, std::move(below), nullptr};
  }
  // Below, kept in mind for the next path whose folder is in `above`.
  At Remembered(int dir, const Resolved& spelled, std::string_view above, std::string_view base) {
    lastAbove_.assign(above);
    lastDir_ = dir;
    lastBase_ = base.size();
    return Below(dir, spelled, lastBase_);
  }

  const int* Held(std::string_view folder) const {
    const auto it = held_.find(folder);
    return it == held_.end() ? nullptr : it->second.get();
  }
  void Hold(std::string_view folder, HeldFolder handle) {
    held_.emplace(std::string(folder), std::move(handle));
  }

  struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, HeldFolder, ViewHash, std::equal_to<>> held_;
  std::string lastOpened_;
  // The place of the last path placed below one of its ancestors: the
  // folder above its own, the handle, and the length of the handle's path.
  std::string lastAbove_;
  int lastDir_ = AT_FDCWD;
  size_t lastBase_ = 0;
};

}  // namespace

void LookAtPaths(size_t count, const std::function<std::string(size_t)>& pathOf,
                 size_t pathsPerThread, const LookAtPlace& look, const SettleOnCaller& settle) {
  enum : char { kUnsettled, kSettled };
  struct Probe {
    int Dir = AT_FDCWD;
    const char* Path = nullptr;  // in `texts`; null: no place, settled on the caller
  };
  constexpr size_t kRun = 512;  // paths handed to a thread at a time
  const size_t runs = (count + kRun - 1) / kRun;
  const auto runEnd = [count](size_t run) { return std::min(count, (run + 1) * kRun); };
  std::vector<Probe> probes(count);
  std::vector<char> outcome(count, kUnsettled);
  StableTexts texts;
  BatchFolders folders;               // keeps the probes' handles open
  std::atomic<size_t> spelledRuns{0};  // runs whose probes are all made
  std::atomic<size_t> nextRun{0};      // the first run no thread has taken
  const std::unique_ptr<std::atomic<bool>[]> looked(new std::atomic<bool>[runs]());

  const auto lookRun = [&](size_t run) {
    for (size_t i = run * kRun; i < runEnd(run); ++i)
      if (probes[i].Path && look(i, probes[i].Dir, probes[i].Path)) outcome[i] = kSettled;
    looked[run].store(true, std::memory_order_release);
  };
  const auto lookWhenSpelled = [&] {
    for (size_t run; (run = nextRun.fetch_add(1)) < runs;) {
      for (size_t ready; (ready = spelledRuns.load(std::memory_order_acquire)) <= run;)
        spelledRuns.wait(ready);
      lookRun(run);
    }
  };
  const size_t threads = LookThreadsFor(count, pathsPerThread);
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(lookWhenSpelled);
    } catch (const std::exception&) {
      break;  // no thread to be had: fewer look
    }
  }
  // Whatever ends the spelling, the threads are let go and joined before
  // the batch's handles and texts are.
  struct JoinHelpers {
    std::vector<std::thread>& Helpers;
    std::atomic<size_t>& Spelled;
    size_t Runs;
    ~JoinHelpers() {
      Spelled.store(Runs, std::memory_order_release);
      Spelled.notify_all();
      for (std::thread& helper : Helpers) helper.join();
    }
  } joinHelpers{helpers, spelledRuns, runs};

  for (size_t run = 0; run < runs; ++run) {
    for (size_t i = run * kRun; i < runEnd(run); ++i) {
      const Resolved spelled = Spelled(pathOf(i));
      if (!spelled.Valid) continue;
      const At place = folders.PlaceOf(spelled);
      probes[i] = {place.Dir, texts.Add(place.Path)};
    }
    spelledRuns.store(run + 1, std::memory_order_release);
    if (!helpers.empty()) spelledRuns.notify_all();
  }

  size_t settledRuns = 0;
  const auto settleLookedRuns = [&] {
    for (; settledRuns < runs && looked[settledRuns].load(std::memory_order_acquire); ++settledRuns) {
      for (size_t i = settledRuns * kRun; i < runEnd(settledRuns); ++i) {
        if (outcome[i] == kSettled) continue;
        const std::string path = pathOf(i);
        settle(i, path, Spelled(path));
      }
    }
  };
  for (size_t run; (run = nextRun.fetch_add(1)) < runs;) {
    settleLookedRuns();
    lookRun(run);
  }
  for (std::thread& helper : helpers) helper.join();
  helpers.clear();
  settleLookedRuns();
}

// ---------------------------------------------------------------- looks beside

// A file read and understood costs several looks at a folder: fewer per
// thread than LookAtPaths takes.
constexpr size_t kPathsPerLooker = 128;

struct LooksBeside::State {
  std::vector<int> Dirs;
  std::vector<const char*> Paths;  // null: no place, settled on the caller
  std::vector<char> Settled;
  StableTexts Texts;
  BatchFolders Folders;  // keeps the handles open
  LookAtPlace Look;
  std::atomic<size_t> Next{0};  // the first path no thread has taken
  std::vector<std::thread> Lookers;
  // What failed on each looker, and (last) on the thread that finishes.
  std::vector<std::exception_ptr> Failed;

  // Looks at the paths no thread has taken yet, one at a time.
  void LookAtTheRest(std::exception_ptr& failed) {
    try {
      for (size_t i; (i = Next.fetch_add(1)) < Paths.size();)
        if (Paths[i] && Look(i, Dirs[i], Paths[i])) Settled[i] = true;
    } catch (...) {
      failed = std::current_exception();
      Next.store(Paths.size());  // the other threads stop too
    }
  }
};

LooksBeside::LooksBeside(size_t count, const std::function<std::string(size_t)>& pathOf,
                         LookAtPlace look)
    : state_(new State) {
  State& state = *state_;
  state.Dirs.assign(count, AT_FDCWD);
  state.Paths.assign(count, nullptr);
  state.Settled.assign(count, false);
  state.Look = std::move(look);
  for (size_t i = 0; i < count; ++i) {
    const Resolved spelled = Spelled(pathOf(i));
    if (!spelled.Valid) continue;
    const At place = state.Folders.PlaceOf(spelled);
    state.Dirs[i] = place.Dir;
    state.Paths[i] = state.Texts.Add(place.Path);
  }
  // The calling thread has work of its own meanwhile: one core is left to
  // it.
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t lookers =
      count == 0 ? 0 : LookThreadsFor(count, kPathsPerLooker, cores > 1 ? cores - 1 : 1);
  state.Failed.resize(lookers + 1);
  state.Lookers.reserve(lookers);
  for (size_t t = 0; t < lookers; ++t) {
    try {
      state.Lookers.emplace_back([&state, t] { state.LookAtTheRest(state.Failed[t]); });
    } catch (const std::exception&) {
      break;  // no thread to be had: fewer look, and Finish looks at the rest
    }
  }
}

LooksBeside::~LooksBeside() {
  state_->Next.store(state_->Paths.size());  // what no looker has begun is not wanted
  for (std::thread& looker : state_->Lookers) looker.join();
}

void LooksBeside::Finish(const std::function<std::string(size_t)>& pathOf,
                         const SettleOnCaller& settle) {
  State& state = *state_;
  state.LookAtTheRest(state.Failed.back());
  for (std::thread& looker : state.Lookers) looker.join();
  state.Lookers.clear();
  for (std::exception_ptr& failed : state.Failed)
    if (failed) std::rethrow_exception(std::exchange(failed, nullptr));
  for (size_t i = 0; i < state.Paths.size(); ++i) {
    if (state.Settled[i]) continue;
    const std::string path = pathOf(i);
    settle(i, path, Spelled(path));
  }
}

}  // namespace plat::posix
