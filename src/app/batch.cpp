// Batch files: the set-up of "-b" and "-bu", the line splitter and the runner.
#include "app/batch.h"

#include "app/commands.h"
#include "app/console.h"
#include "app/parser.h"
#include "app/path_variables.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"
#include "base/problems.h"

namespace app {

namespace {

// Asks one question and reads the answer; closed or empty standard input
// gives an empty answer, so that the default applies.
std::string Ask(const std::string& question) {
  WriteLine(question);
  WriteText(" ");
  plat::FlushStdout();
  std::string answer;
  if (!plat::ReadStdinLine(answer)) answer.clear();
  return answer;
}

// The batch file named by word 2, completed against the current folder.
void TakeBatchFileName(CommandState& s) {
  s.BatchMode = true;
  s.BatchFileName = s.Args[2].empty() ? std::string() : plat::FullPath(s.Args[2]);
}

ParseResult BatchFileResult(CommandState& s) {
  if (!s.BatchFileName.empty() && plat::FileExists(s.BatchFileName)) return {};
  return {ParseOutcome::NoBatchFile, s.BatchFileName.empty()
                                         ? "no batch file was named"
                                         : "the batch file '" + s.BatchFileName + "' does not exist"};
}

ParseResult RefuseBatchInBatch() {
  return {ParseOutcome::BatchRunning, "a batch file cannot run another one (-b, -bu)"};
}

}  // namespace

ParseResult SetUpBatch(CommandState& s) {
  if (s.BatchMode) return RefuseBatchInBatch();
  TakeBatchFileName(s);
  return BatchFileResult(s);
}

ParseResult SetUpUserBatch(CommandState& s) {
  if (s.BatchMode) return RefuseBatchInBatch();
  TakeBatchFileName(s);
  if (s.ArgCount == 4) {
    s.BatchFolder = s.Args[3];
    s.BatchTitle = s.Args[4];
  } else {
    s.BatchFolder = Ask(" Enter scenery destination path [FS Addon Scenery]: ");
    s.BatchTitle = Ask(" Enter scenery title [New scenery]:                 ");
  }
  const std::string simulatorFolder = s.Library ? s.Library->SimulatorFolder : std::string();
  s.BatchFolder = winpath::WithBackslashes(s.BatchFolder);
  if (s.BatchFolder.empty() || s.BatchFolder.find('%') != std::string::npos) {
    s.BatchFolder = simulatorFolder + "Addon Scenery\\";
  } else {
    if (winpath::IsRelativePath(s.BatchFolder)) s.BatchFolder = simulatorFolder + s.BatchFolder;
    if (s.BatchFolder.back() != '\\') s.BatchFolder.push_back('\\');
  }
  if (s.BatchTitle.empty() || s.BatchTitle.find('%') != std::string::npos)
    s.BatchTitle = "New scenery";
  SetPathVariables(s);  // %b now has its value
  return BatchFileResult(s);
}

bool AsksForFolderAndTitle(const CommandState& s) {
  return !s.BatchMode && s.ArgCount >= 1 && s.Args[1] == "-bu" &&
         s.ArgCount != 4;
}

BatchWords SplitBatchLine(std::string_view line) {
  BatchWords words;
  // A ";" starts a comment; the blanks before it go with it.
  size_t semicolon = line.find(';');
  if (semicolon != std::string_view::npos) {
    line = line.substr(0, semicolon);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  }
  if (line.empty()) return words;

  // Words are separated by one blank; a word after the first that begins
  // with a double quote runs to the next double quote.
  int count = 1;
  char separator = ' ';
  std::string_view rest = line;
  for (;;) {
    size_t pos = rest.find(separator);
    if (pos == std::string_view::npos) {
      words.Args[static_cast<size_t>(count)] = std::string(rest);
      break;
    }
    words.Args[static_cast<size_t>(count)] = std::string(rest.substr(0, pos));
    rest.remove_prefix(pos + 1);
    if (separator == '"' && !rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty()) break;
    ++count;
    if (count > 4) break;  // a fifth word makes the line invalid; it is not kept
    if (rest.front() == '"') {
      rest.remove_prefix(1);
      separator = '"';
    } else {
      separator = ' ';
    }
  }
  words.Count = count;
  return words;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = next;
  }
  return lines;
}

void RunBatchFile(CommandState& s) {
  WriteLine(" Processing batch file '" + s.BatchFileName + "'...");
  WriteLine("");
  std::string bytes;
  if (const plat::FileResult read = plat::ReadWholeFile(s.BatchFileName, bytes); !read)
    throw FatalError("batch file: " + read.Tell("read", s.BatchFileName));
  // Today's editors save UTF-8 (Notepad with a byte-order mark, which is no
  // part of the first line); older files are code page 1252.
  size_t lineNumber = 0;
  for (const std::string& line : SplitLines(encoding::DecodeTextFile(bytes))) {
    ++lineNumber;
    const std::string where = "line " + std::to_string(lineNumber) + " of " + s.BatchFileName;
    BatchWords words = SplitBatchLine(line);
    if (words.Count == 0) continue;  // a blank line or a comment
    s.ArgCount = words.Count;
    s.Args = std::move(words.Args);
    ParseResult parsed;
    try {
      parsed = ParseCommand(s);
    } catch (const FatalError& e) {
      throw FatalError(where + ": " + e.what());  // a bad number stops the run
    }
    if (!parsed.Ok()) {
      // Lines that do not parse are skipped, and said so.
      std::string why = parsed.Problem.empty() ? "it is no command" : parsed.Problem;
      bool emptyWord = false;
      for (int32_t i = 1; i <= s.ArgCount; ++i) emptyWord = emptyWord || s.Args[size_t(i)].empty();
      if (emptyWord && parsed.Outcome == ParseOutcome::Invalid) why += " (two blanks in a row make an empty word)";
      WriteNoticeLine("skipped " + where + ": " + why);
      continue;
    }
    ShowProgress(s);
    s.Parsed->Run(s);
  }
  WriteLine("");
  WriteLine(" Done.");
  WriteLine("");
}

}  // namespace app
