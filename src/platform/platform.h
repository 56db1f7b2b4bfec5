// The host services the program uses, in Windows terms.
//
// Every text handed in or out is UTF-8, the program's one form of text (a
// byte that is not UTF-8 means its code page 1252 character, see
// text_encoding.h); paths have backslashes and drive letters, as the Windows
// functions take them.  Two implementations stand behind this header,
// chosen at build time:
//   win32/  calls the Win32 API directly, in its wide (UTF-16) forms;
//   posix/  serves a simulator installed in a Wine prefix ($WINEPREFIX, else
//           $HOME/.wine when it registers a simulator, else the Proton prefix
//           of FSX Steam Edition in Steam's libraries): registry files,
//           dosdevices drives, case-insensitive path resolution, UTF-8 host
//           names.
// Nothing outside platform/ includes <windows.h> or POSIX headers.
//
// Every call that can fail returns a FileResult (below): its outcome, and a
// fault's cause in plain words.  A question (is it there, which is the
// current folder) answers with a bool or an empty text.
//
// The names avoid those of the Win32 API (DeleteFile, CopyFile, ... are macros
// in <windows.h>).
//
// May use: nothing of the program.  The implementations behind it use the
// host's own headers and the pure text, path and registry-file rules beside
// it (text_encoding, text_rules, winpath) and the Wine registry file reader
// of formats/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// ---------------------------------------------------------------- results

// How a file operation ended.  The first kinds are the Windows rules the
// program relies on (a walk treats them as outcomes of its own rules); the
// others are faults, which the user must hear of.
enum class FileOutcome {
  Done,
  Missing,    // the entry, or a folder on its way, does not exist
  Exists,     // the target exists (in any letter case)
  ReadOnly,   // a read-only file is neither deleted nor replaced
  NotEmpty,   // a folder that still holds entries is not removed
  WrongKind,  // a folder where a file is meant, a file where a folder is meant, or a link
  // Faults:
  NoSpace,    // the disk or the quota is full, or the file is larger than allowed
  Denied,     // no permission, or a read-only disk
  InUse,      // another program holds the file
  BadName,    // no entry can have that name: a device, a path through a file, a
              // character Windows forbids in names, a path too long
  IoError,    // the disk reported an input/output error
  OtherFault,
};

// How every call of this layer that can fail ends (files, folders, the
// registry, locks, the temporary entries of both builds): its outcome, with
// the cause in plain words (for a fault: what the system said, put plainly),
// ready to follow "cannot ... <path>: ".  What the call yields besides
// comes through its reference arguments.
struct FileResult {
  FileOutcome Outcome = FileOutcome::Done;
  std::string Cause;

  bool Done() const { return Outcome == FileOutcome::Done; }
  bool IsFault() const { return Outcome >= FileOutcome::NoSpace; }
  explicit operator bool() const { return Done(); }
  // The line that tells it: cannot <action> '<path>': <cause>.
  std::string Tell(const std::string& action, const std::string& path) const;
};
// A result of that outcome with its usual plain words.
FileResult ResultOf(FileOutcome outcome);
// A size in the words the messages use: "4 MB", "64 KB", "9 bytes".
std::string SizeInWords(uint64_t bytes);

// ---------------------------------------------------------------- process

// The words of the command line after the program name (on Linux, bytes that
// are not UTF-8 taken as code page 1252 characters).
std::vector<std::string> CommandLineWords(int argc, char** argv);

// Console output.  The posix build writes UTF-8; the win32 build writes a
// console in UTF-16 (WriteConsoleW), whose own code page is another, and a
// pipe or file in code page 1252, which installers' scripts read ('?' for a
// character without a 1252 form).  Nothing is added: callers write their own
// "\r\n".
void WriteStdout(const std::string& text);
void WriteStderr(const std::string& text);
void FlushStdout();
// The width in columns of the terminal (console window) standard output
// shows on, or 0 when standard output is no terminal (a pipe or a file).
// The posix build asks the terminal, else takes COLUMNS, else 80.
int StdoutColumns();

// Reads one line from standard input into `line` (without its line end; a
// CR before the LF is dropped).  A console is read as UTF-16; a pipe or file
// as UTF-8, a byte that is not UTF-8 taken as its code page 1252 character
// (so that both UTF-8 and 1252 answers arrive whole).  Returns false at the
// end of input or
// when standard input is closed; `line` is then empty.
bool ReadStdinLine(std::string& line);

// The temporary folder for the path variable %p, in Windows form, exactly as
// the environment gives it (no backslash added): TEMP, else TMP (the posix
// build then tries TMPDIR, else "/tmp", and turns a host path into its Windows
// form).  Empty when nothing is set.
std::string TempFolderValue();

// The Windows form of the current folder, ending in a backslash ("C:\x\").
// Returns false when the current folder cannot be determined (for example it
// was removed).
bool CurrentFolder(std::string& folder);

// GetFullPathNameA: `path` completed against the current folder, "." and
// ".." resolved in the text.  Empty on failure (also when the current folder
// cannot be determined).
std::string FullPath(const std::string& path);

// A folder argument in the form of the drive that holds it.  On Linux a
// host path ("/home/me/.wine/drive_c/FS9", '/' as typed) and a drive path
// whose place lies inside the folder of another drive of the prefix
// ("Z:\home\me\.wine\drive_c\FS9") name that drive's folder ("C:\FS9"): the
// drive whose folder is the longest leading part, links resolved up to it.
// Any other text, and a path no drive holds, comes back unchanged; so does
// every path on Windows.
std::string DriveFormOf(const std::string& path);

// ---------------------------------------------------------------- text

// The same rules on both builds (text_rules.h): those of CharLowerBuffA and
// CompareStringA for code page 1252 text, Unicode's simple case mappings
// beyond it.

// Lower-casing (CharLowerBuffA in code page 1252).
std::string LowerCase(const std::string& text);

// Equality ignoring case (CompareStringA(LOCALE_USER_DEFAULT,
// NORM_IGNORECASE, ...) == CSTR_EQUAL for code page 1252 text).
bool SameText(const std::string& a, const std::string& b);

// A hash key for texts compared with SameText: texts that SameText finds
// equal, and only those, have equal keys.
std::string CaseFoldedKey(const std::string& text);

// Order ignoring case (negative, zero, positive), used to sort section names.
int CompareTextOrder(const std::string& a, const std::string& b);

// ---------------------------------------------------------------- registry

enum class RegRoot { CurrentUser, LocalMachine };

// Whether the registry of `root` can be read: Done, or a fault whose Cause
// is the whole line that tells why (the Linux build reads it from a file of
// the Wine prefix, which may be a folder or unreadable; it then holds no
// keys).
FileResult RegistryProblem(RegRoot root);

// `subKey` is relative to the root, without a leading backslash
// ("Software\Microsoft\..."); names match without regard to case.
bool RegKeyExists(RegRoot root, const std::string& subKey);

// Reads a string value (REG_SZ or REG_EXPAND_SZ, unexpanded); its text ends
// at its first NUL character.  Missing when there is no such key or value,
// WrongKind when the value is not a string; `value` is set only when Done.
FileResult RegReadString(RegRoot root, const std::string& subKey,
                         const std::string& valueName, std::string& value);

// Where the host looked for the simulator's registry when the place it
// settled on registers none: plain-word lines for standard error, for a run
// that finds no installation.  Empty when there is nothing to add, and
// always on Windows, where the registry is the only place.
std::vector<std::string> InstallSearchNotes();

// Why the host's registry has nothing to look in: on Linux the Wine prefix
// is missing or no folder, has no user.reg, or a registry file of it lacks
// Wine's header line.  One plain-word line ending in the remedy; empty when
// there is no such cause, and always on Windows.
std::string RegistryPlaceProblem();
// Where the registry is, for messages: "the Wine prefix /home/x/.wine" on
// Linux, "the registry" on Windows.
std::string RegistryPlaceName();

// ---------------------------------------------------------------- files

// Attribute bits, as Windows numbers them.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;  // a symbolic link

// File times are Windows FILETIMEs: 100 ns units since 1601-01-01, UTC.
struct FileInfo {
  uint32_t Attributes = 0;
  uint64_t CreationTime = 0;
  uint64_t LastAccessTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t Size = 0;
};

// Facts about the file or folder at `path`; false when there is none.
// A symbolic link to a folder reports kAttrDirectory | kAttrReparsePoint and
// is never entered by a walk; a symbolic link to a file is a file.
bool GetFileInfo(const std::string& path, FileInfo& info);
bool FolderExists(const std::string& path);  // an existing folder only
bool FileExists(const std::string& path);    // an existing file only


struct DirEntry {
  std::string Name;  // as the folder spells it
  FileInfo Info;
};

// FindFirstFileA/FindNextFileA over `pattern`: a folder followed by "*.*",
// "*", "*.ext" or a plain name ("C:\x\*.bgl").  "." and ".." are left out.
// Entries come in NTFS order (upper-cased UTF-16 names, then bytes).
// A missing folder gives an empty list.  A folder that exists but cannot be
// listed gives an empty list too, and the result tells why.
//
// How much a listing looks up about each file (folders always get all):
enum class FileFacts {
  All,       // attributes, times and size
  KindOnly,  // only that it is a file, where the listing tells that alone:
             // Attributes is kAttrArchive, times and size are 0
};
FileResult FindEntries(const std::string& pattern, std::vector<DirEntry>& entries,
                       FileFacts facts = FileFacts::All);
// FindEntries limited to folders (links to folders among them): the facts of
// files are never looked at, so that a walk that only descends costs about
// one listing per folder, however many files the folders hold.
FileResult FindFolders(const std::string& pattern, std::vector<DirEntry>& folders);
// The names of FindFolders alone, in its order: a folder that the listing
// itself tells is one is not looked at.
FileResult FindFolderNames(const std::string& pattern, std::vector<std::string>& names);


// One folder level; Exists when it exists already.
FileResult MakeFolder(const std::string& path);
// MakeFolder, the new folder marked hidden (on Linux with the mark Wine
// keeps, user.DOSATTRIB, so that both builds leave the same folder).
FileResult MakeHiddenFolder(const std::string& path);
// Only an empty folder is removed (NotEmpty otherwise); never a link.
FileResult RemoveEmptyFolder(const std::string& path);
// ReadOnly for a read-only file, WrongKind for a folder.
FileResult RemoveFile(const std::string& path);
// MoveFileA: renames a file or folder; Exists when `target` exists (in any
// letter case).
FileResult RenameFile(const std::string& source, const std::string& target);

// ---------------------------------------------------------------- whole files and folders
//
// What the program writes appears whole or not at all: a file or a folder is
// made under a temporary name beside its place, then renamed into place.
// Each build keeps this in one object, its TempEntry
// (posix/posix_temp_entry.h, win32/temp_entry.h): it owns the temporary
// name, the lock file that shows this run alive in that folder, and the
// cleanup of both.  The copy, the staged folder and the save below use it,
// and nothing else makes temporary entries.

class TempEntry;       // a temporary entry of this build
class TempFolderLock;  // this run's lock file in one folder (temp_folder_lock.h)

// Copies files.  One copier serves a series of copies (a tree walk): it keeps
// this run's lock file in the folder it last wrote a temporary file into,
// for the next copy there, and gives it up when it writes into another
// folder or ends.
class FileCopier {
 public:
  // Copies `source` to `target` so that the target appears whole or not at
  // all, through a temporary file, with the source's last-write time and
  // read-only attribute.  Exists when `failIfExists` and the target exists;
  // ReadOnly when the target is read-only; a fault when, without
  // `failIfExists`, another program made the target while the copy was
  // written (it is not replaced).  A failed copy leaves the target as it was.
  //
  // With `privateFolder` the caller vouches that the target's folder is one
  // no other program sees yet (a StagedFolder, or below it): a target that
  // does not exist is then written in place, without the temporary file and
  // its rename (a failed copy removes what it wrote).  A target that exists
  // is replaced as above.
  FileResult Copy(const std::string& source, const std::string& target, bool failIfExists,
                  bool privateFolder = false);

 private:
  std::shared_ptr<TempFolderLock> kept_;
};

// A folder built under a temporary name in its parent, then renamed into
// place whole.  Its calling sequence:
//
//   plat::StagedFolder staged;
//   FileResult made = staged.Make(parent);    // a new, empty folder at staged.Path(),
//                                             // hidden, never walked into
//   ... fill it (copies with privateFolder) ...
//   FileResult moved = staged.Commit(final);  // renamed into place; Exists when the
//                                             // name was taken meanwhile (still staged)
//   FileResult dropped = staged.Discard();    // or removed with all it holds
//
// The destructor discards what was neither committed nor discarded.
class StagedFolder {
 public:
  StagedFolder();
  ~StagedFolder();
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  FileResult Make(const std::string& parent);
  const std::string& Path() const { return path_; }
  FileResult Commit(const std::string& finalPath);
  FileResult Discard();

 private:
  std::string path_;
  std::unique_ptr<TempEntry> entry_;
};

// FileTimeToLocalFileTime with the current time-zone bias.
uint64_t FileTimeToLocal(uint64_t fileTime);

// A file opened for reading its first bytes (CreateFileA + ReadFile).
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `count` bytes at `offset` into `buffer`; `got` is the
  // number read (fewer only at the end of the file).  Never reads past the
  // end.
  virtual FileResult ReadAt(uint64_t offset, void* buffer, size_t count, size_t& got) = 0;
  // The file's size now.
  virtual FileResult Size(uint64_t& size) = 0;
};
// Opens an existing file for reading, without sharing it for writing where
// the host allows that.  A folder may open on some hosts, but every read of
// it then fails.
FileResult OpenInputFile(const std::string& path, std::unique_ptr<InputFile>& file);

// Reads a whole file as bytes (empty on failure).  A file of more than
// `largest` bytes is refused, unread past that size.
FileResult ReadWholeFile(const std::string& path, std::string& bytes, size_t largest = SIZE_MAX);

// Replaces `path` with `bytes` safely: the bytes are written to a temporary
// file in the same folder, flushed to disk, and renamed over `path`.  A crash
// at any moment leaves either the old file or the new one, whole.  On failure
// the old file is untouched and the temporary file is removed.  A read-only
// `path` is refused before anything is written.
FileResult WriteFileReplacing(const std::string& path, const std::string& bytes);

// ---------------------------------------------------------------- locks

// An exclusive lock on the first byte of a file, held until the object is
// destroyed or the process ends: the operating system drops it then, also
// when the process is killed, so that nothing has to be cleaned up by hand.
// Windows: LockFileEx.  Linux: an open-file-description record lock
// (fcntl F_OFD_SETLK), which conflicts with the record locks Wine takes for
// LockFileEx on the same byte, and which other descriptors of the file,
// opened and closed by this process meanwhile, do not drop.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Tries once to lock `path`, creating it (empty) when it does not exist:
// Done when `lock` holds it now, InUse when another process holds it, any
// other outcome when the file cannot be made or opened for writing.  Never
// waits.  Once locked, the names this process remembers of folders are
// looked up again: the lock's previous holder may have just changed them.
FileResult TryLockFile(const std::string& path, std::unique_ptr<FileLock>& lock);

// Suspends the process for `milliseconds`, between tries of a lock.
void WaitMilliseconds(uint32_t milliseconds);

}  // namespace plat
