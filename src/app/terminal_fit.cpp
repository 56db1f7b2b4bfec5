// Text made to fit a terminal's width.
#include "app/terminal_fit.h"

#include <algorithm>
#include <iterator>

#include "platform/text_encoding.h"

namespace app {

namespace {

struct Range {
  char32_t First, Last;
};

// Characters a terminal draws in no column: combining marks of the common
// scripts, zero-width and direction marks, variation selectors.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF},
    {0x05C1, 0x05C2}, {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4},
    {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0900, 0x0902}, {0x093A, 0x093A},
    {0x093C, 0x093C}, {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064},
    {0x20D0, 0x20FF}, {0x302A, 0x302D}, {0x3099, 0x309A}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// Characters a terminal draws in two columns: the East Asian wide and
// fullwidth ones (Hangul, CJK, kana, fullwidth forms) and the emoji shown
// as pictures.
constexpr Range kDoubleWidth[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x3029},
    {0x302E, 0x303E},   {0x3041, 0x3098},   {0x309B, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F202}, {0x1F210, 0x1F23B}, {0x1F240, 0x1F248}, {0x1F250, 0x1F251},
    {0x1F260, 0x1F265}, {0x1F300, 0x1F320}, {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C},
    {0x1F37E, 0x1F393}, {0x1F3A0, 0x1F3CA}, {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0},
    {0x1F3F4, 0x1F3F4}, {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC},
    {0x1F4FF, 0x1F53D}, {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A},
    {0x1F595, 0x1F596}, {0x1F5A4, 0x1F5A4}, {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5},
    {0x1F6CC, 0x1F6CC}, {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6D7}, {0x1F6DC, 0x1F6DF},
    {0x1F6EB, 0x1F6EC}, {0x1F6F4, 0x1F6FC}, {0x1F7E0, 0x1F7EB}, {0x1F7F0, 0x1F7F0},
    {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <size_t N>
bool InRanges(const Range (&ranges)[N], char32_t c) {
  const Range* end = ranges + N;
  const Range* at =
      std::upper_bound(ranges, end, c, [](char32_t value, const Range& r) { return value < r.First; });
  return at != ranges && c <= std::prev(at)->Last;
}

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026, one column

// The bytes of the longest beginning of `text` that takes at most
// `columns` columns (zero-width characters after it go with it).
size_t HeadBytes(std::string_view text, size_t columns) {
  size_t used = 0, i = 0;
  while (i < text.size()) {
    size_t next = i;
    const size_t w = size_t(CharColumns(encoding::NextChar(text, next)));
    if (used + w > columns) break;
    used += w;
    i = next;
  }
  return i;
}

// The byte where the shortest end of `text` that takes at most `columns`
// columns begins.
size_t TailStart(std::string_view text, size_t columns) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size();) {
    starts.push_back(i);
    encoding::NextChar(text, i);
  }
  size_t used = 0, start = text.size();
  for (auto at = starts.rbegin(); at != starts.rend(); ++at) {
    size_t next = *at;
    const size_t w = size_t(CharColumns(encoding::NextChar(text, next)));
    if (used + w > columns) break;
    used += w;
    start = *at;
  }
  return start;
}

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The room a full title column leaves beside it for the folder and what
// follows it; the fewest columns a line's folder and title are given.
constexpr size_t kRoomBesideTitle = 38;
constexpr size_t kFewestFolderColumns = 12;
constexpr size_t kFewestTitleColumns = 8;

}  // namespace

int CharColumns(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 0;
  if (c < 0x300) return 1;
  if (InRanges(kZeroWidth, c)) return 0;
  return InRanges(kDoubleWidth, c) ? 2 : 1;
}

size_t TextColumns(std::string_view text) {
  size_t columns = 0;
  for (size_t i = 0; i < text.size();) columns += size_t(CharColumns(encoding::NextChar(text, i)));
  return columns;
}

std::string PadToColumns(std::string_view text, size_t columns) {
  std::string out(text);
  const size_t used = TextColumns(text);
  if (used < columns) out.append(columns - used, ' ');
  return out;
}

std::string CutWithEllipsis(std::string_view text, size_t columns) {
  if (TextColumns(text) <= columns) return std::string(text);
  if (columns == 0) return "";
  std::string out(text.substr(0, HeadBytes(text, columns - 1)));
  out += kEllipsis;
  return out;
}

std::string ShortenInMiddle(std::string_view text, size_t columns) {
  if (TextColumns(text) <= columns) return std::string(text);
  if (columns <= 1) return columns == 0 ? "" : std::string(kEllipsis);
  // Beside the ellipsis, the end gets the larger half: it names the folder
  // itself.
  const size_t tailColumns = columns / 2;
  const size_t headColumns = columns - 1 - tailColumns;
  std::string out(text.substr(0, HeadBytes(text, headColumns)));
  out += kEllipsis;
  out += text.substr(TailStart(text, tailColumns));
  return out;
}

std::string FitListingLine(std::string_view lead, std::string_view title, size_t titleColumn,
                           std::string_view folder, std::string_view tail, size_t columns) {
  const size_t leadColumns = TextColumns(lead), tailColumns = TextColumns(tail);
  const size_t folderColumns = TextColumns(folder);
  // The title column is the same on every line, so that the folders stand
  // in one column: its full width where the terminal leaves room beside it
  // for a folder and what follows, else two fifths of what is left of the
  // line.  A longer title is cut with an ellipsis.
  const size_t besideLead = columns > leadColumns + 2 ? columns - leadColumns - 2 : 0;
  size_t titleWidth = titleColumn;
  if (besideLead < titleColumn + kRoomBesideTitle)
    titleWidth = std::max(kFewestTitleColumns, besideLead * 2 / 5);
  // The folder gives up its middle to what is left beside the tail; where
  // that is less than a few columns (a long tail), this line's title
  // column narrows for it.
  const size_t folderWanted = std::min(folderColumns, kFewestFolderColumns);
  if (besideLead < titleWidth + tailColumns + folderWanted) {
    const size_t left =
        besideLead > tailColumns + folderWanted ? besideLead - tailColumns - folderWanted : 0;
    titleWidth = std::max(kFewestTitleColumns, left);
  }
  const size_t used = titleWidth + tailColumns;
  const size_t folderWidth = besideLead > used ? besideLead - used : 0;
  std::string out(lead);
  out += PadToColumns(CutWithEllipsis(title, titleWidth), titleWidth);
  out += "  ";
  out += ShortenInMiddle(folder, folderWidth);
  out += tail;
  // A terminal too narrow for all that gets the line cut at its end.
  return CutWithEllipsis(WithoutTrailingBlanks(std::move(out)), columns);
}

std::vector<std::string> FitPlainLine(std::string_view line, size_t columns) {
  std::vector<std::string> lines;
  const size_t split = line.find("; ");
  if (TextColumns(line) <= columns || split == std::string_view::npos) {
    lines.push_back(CutWithEllipsis(line, columns));
    return lines;
  }
  lines.push_back(CutWithEllipsis(line.substr(0, split + 1), columns));
  lines.push_back(CutWithEllipsis(" " + std::string(line.substr(split + 2)), columns));
  return lines;
}

}  // namespace app
