// Classification of BGL files by format version and content, on headers the
// tests build byte by byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "test_prefix.h"
#include "bgl/bgl_info.h"
#include "bgl/content_filter.h"

using testing_support::TestPrefix;

namespace {

// One prefix for the whole program: the host layer reads WINEPREFIX.
TestPrefix& Prefix() {
  static TestPrefix prefix;
  static bool set = (setenv("WINEPREFIX", prefix.Prefix().c_str(), 1), true);
  (void)set;
  return prefix;
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4, '\0');
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Newer format: marker, header size, section count, then one 20-byte record
// per type given (the count may differ from the records written).
std::string NewBgl(const std::vector<int32_t>& types, int32_t headerSize = 56,
                   std::optional<int32_t> count = std::nullopt) {
  std::string bytes(56, '\0');
  bytes[0] = 0x01;
  bytes[1] = 0x02;
  Put32(bytes, 4, static_cast<uint32_t>(headerSize));
  Put32(bytes, 20, static_cast<uint32_t>(count ? *count : static_cast<int32_t>(types.size())));
  for (size_t i = 0; i < types.size(); ++i) {
    const size_t at = 56 + 20 * i;
    Put32(bytes, at, static_cast<uint32_t>(types[i]));
    Put32(bytes, at + 4, 0x11111111);  // not examined
    bytes.resize(at + 20, '\x7f');
  }
  return bytes;
}

// Older format: 168 bytes, the marker at 118 and the given fields set.
std::string OldBgl(uint32_t marker, std::initializer_list<std::pair<size_t, uint32_t>> fields = {}) {
  std::string bytes(168, '\0');
  Put32(bytes, 118, marker);
  for (const auto& f : fields) Put32(bytes, f.first, f.second);
  return bytes;
}

constexpr uint32_t kV7 = 0x87654321;

struct Result {
  int32_t Version;
  uint32_t Flags;
};

Result Classify(const std::string& bytes, const std::string& name = "test.bgl") {
  TestPrefix& p = Prefix();
  testing_support::WriteFile(p.C("bgl/" + name), bytes);
  const BglInfo bgl = ReadBglInfo("C:\\bgl\\" + name);
  return {bgl.Version, bgl.ContentFlags};
}

uint32_t Bit(int k) { return uint32_t{1} << k; }

TEST(BglNewFormat, OneAirportSection) {
  Result r = Classify(NewBgl({3}));
  EXPECT_EQ(r.Version, 9);
  EXPECT_EQ(r.Flags, Bit(14));
  EXPECT_TRUE(ContentFlagsMatch(r.Flags, FilterToContentFlags(1)));
  EXPECT_FALSE(ContentFlagsMatch(r.Flags, FilterToContentFlags(2)));
}

TEST(BglNewFormat, AnyTypeFromOneHundredAndOneMakesVersion10) {
  Result r = Classify(NewBgl({3, 101}));
  EXPECT_EQ(r.Version, 10);
  EXPECT_EQ(r.Flags, Bit(14) | Bit(26));

  // The version-10 section first: the remaining sections are still read.
  r = Classify(NewBgl({101, 19}));
  EXPECT_EQ(r.Version, 10);
  EXPECT_EQ(r.Flags, Bit(26) | Bit(15));

  r = Classify(NewBgl({200}));
  EXPECT_EQ(r.Version, 10);
  EXPECT_EQ(r.Flags, Bit(30));
  EXPECT_FALSE(ContentFlagsMatch(r.Flags, FilterToContentFlags(16383)));
}

TEST(BglNewFormat, NegativeTypesAreUnknownAndKeepVersion9) {
  Result r = Classify(NewBgl({-5, static_cast<int32_t>(0x80000000u), -101}));
  EXPECT_EQ(r.Version, 9);
  EXPECT_EQ(r.Flags, Bit(30));
}

TEST(BglNewFormat, EverySectionTypeOfTheTable) {
  const std::vector<std::pair<int32_t, int>> table = {
      {3, 14},  {44, 14}, {19, 15}, {40, 15}, {23, 16},  {41, 16},  {24, 17},  {32, 18},
      {34, 19}, {42, 19}, {35, 20}, {37, 21}, {39, 22},  {43, 23},  {46, 24},  {47, 25},
      {101, 26}, {103, 27}, {104, 28}, {105, 29}, {0, 30}, {1, 30}, {45, 30}, {102, 30}};
  for (const auto& [type, element] : table) {
    Result r = Classify(NewBgl({type}));
    EXPECT_EQ(r.Flags, Bit(element)) << "type " << type;
    EXPECT_EQ(r.Version, type >= 101 ? 10 : 9) << "type " << type;
  }
}

TEST(BglNewFormat, HeaderThatFailsIsNotReadAsOlderFormat) {
  // A valid older header (marker 0 at 118) behind the newer marker.
  std::string bytes = OldBgl(0, {{18, 1}});
  bytes[0] = 0x01;
  bytes[1] = 0x02;
  Put32(bytes, 4, 64);
  Put32(bytes, 20, 1);
  Result r = Classify(bytes);
  EXPECT_EQ(r.Version, -2);
  EXPECT_EQ(r.Flags, 0u);

  EXPECT_EQ(Classify(NewBgl({3}, 56, 0)).Version, -2);
  EXPECT_EQ(Classify(NewBgl({3}, 56, -1 - 0x7fffffff)).Version, -2);
  EXPECT_EQ(Classify(NewBgl({3}, 0)).Version, -2);
}

TEST(BglNewFormat, DirectoryShorterThanItsCountCountsTheRecordsThere) {
  // A count near the largest number with three records present: no
  // allocation by the count, no read past the end.
  Result r = Classify(NewBgl({3, 19, 24}, 56, 0x7fffffff));
  EXPECT_EQ(r.Version, 9);
  EXPECT_EQ(r.Flags, Bit(14) | Bit(15) | Bit(17));

  // A last record cut after its type field still counts; cut inside it not.
  std::string bytes = NewBgl({3}, 56, 3);
  Put32(bytes, bytes.size(), 101);
  r = Classify(bytes);
  EXPECT_EQ(r.Version, 10);
  EXPECT_EQ(r.Flags, Bit(14) | Bit(26));
  bytes.resize(bytes.size() - 1);
  r = Classify(bytes);
  EXPECT_EQ(r.Version, 9);
  EXPECT_EQ(r.Flags, Bit(14));

  // Header only: a newer-format file without any section records.
  r = Classify(NewBgl({}, 56, 5).substr(0, 24));
  EXPECT_EQ(r.Version, 9);
  EXPECT_EQ(r.Flags, 0u);
}

TEST(BglNewFormat, LongDirectoriesAreReadToTheEnd) {
  std::vector<int32_t> types(2500, 37);
  types.back() = 101;
  types[1500] = 46;
  Result r = Classify(NewBgl(types));
  EXPECT_EQ(r.Version, 10);
  EXPECT_EQ(r.Flags, Bit(21) | Bit(24) | Bit(26));
}

TEST(BglOldFormat, Markers) {
  Result r = Classify(OldBgl(0));
  EXPECT_EQ(r.Version, 6);
  EXPECT_EQ(r.Flags, 0u);
  EXPECT_FALSE(ContentFlagsMatch(r.Flags, FilterToContentFlags(16383)));

  EXPECT_EQ(Classify(OldBgl(kV7)).Version, 7);
  r = Classify(OldBgl(1, {{18, 1}}));
  EXPECT_EQ(r.Version, -2);
  EXPECT_EQ(r.Flags, 0u);
}

TEST(BglOldFormat, OffsetsFortySixAndFiftyFourDependOnTheVersion) {
  EXPECT_EQ(Classify(OldBgl(kV7, {{46, 5}})).Flags, Bit(13));
  EXPECT_EQ(Classify(OldBgl(0, {{46, 5}})).Flags, Bit(1));
  EXPECT_EQ(Classify(OldBgl(kV7, {{54, 5}})).Flags, Bit(12));
  EXPECT_EQ(Classify(OldBgl(0, {{54, 5}})).Flags, Bit(1));
}

TEST(BglOldFormat, EveryFieldOfTheTable) {
  struct Row {
    size_t Offset;
    int V6;  // element for version 6, -1 = not examined
    int V7;
  };
  const Row rows[] = {{18, 0, 0},   {26, 1, -1},  {30, 1, -1},  {34, 1, -1},  {38, 1, -1},
                      {42, 1, -1},  {50, 1, -1},  {58, 2, 2},   {62, 3, 3},   {66, 4, 4},
                      {70, -1, -1}, {74, 5, -1},  {78, 6, 6},   {82, 7, 7},   {86, -1, -1},
                      {98, -1, -1}, {102, 8, 8},  {106, 9, 9},  {110, 10, 10}, {114, 11, 11},
                      {122, -1, -1}, {164, -1, -1}};
  for (const Row& row : rows) {
    // Only the most significant byte set: a field is read as four bytes.
    Result r6 = Classify(OldBgl(0, {{row.Offset, 0x01000000}}));
    Result r7 = Classify(OldBgl(kV7, {{row.Offset, 0x01000000}}));
    EXPECT_EQ(r6.Version, 6);
    EXPECT_EQ(r7.Version, 7);
    EXPECT_EQ(r6.Flags, row.V6 < 0 ? 0u : Bit(row.V6)) << "offset " << row.Offset;
    EXPECT_EQ(r7.Flags, row.V7 < 0 ? 0u : Bit(row.V7)) << "offset " << row.Offset;
  }
  // Several seed fields still give the one element.
  EXPECT_EQ(Classify(OldBgl(0, {{26, 1}, {50, 1}, {18, 1}})).Flags, Bit(0) | Bit(1));
}

TEST(BglShortFiles, EndingBeforeTheBytesExaminedIsNotBgl) {
  EXPECT_EQ(Classify("").Version, -2);
  EXPECT_EQ(Classify("\x01").Version, -2);
  EXPECT_EQ(Classify(std::string("\x01\x02", 2)).Version, -2);
  // The newer header needs 24 bytes.
  std::string header = NewBgl({3});
  EXPECT_EQ(Classify(header.substr(0, 23)).Version, -2);
  // The older fields end at 122, the 168 bytes need not all be there.
  std::string old = OldBgl(0, {{114, 1}});
  EXPECT_EQ(Classify(old.substr(0, 121)).Version, -2);
  Result r = Classify(old.substr(0, 122));
  EXPECT_EQ(r.Version, 6);
  EXPECT_EQ(r.Flags, Bit(11));
  // Text files and the like.
  EXPECT_EQ(Classify(std::string(400, 'x')).Version, -2);
}

TEST(BglFiles, MissingFileAndInactiveExtension) {
  Prefix();
  const BglInfo missing = ReadBglInfo("C:\\bgl\\no such file.bgl");
  EXPECT_EQ(missing.Version, -2);
  EXPECT_EQ(missing.ContentFlags, 0u);
  const BglInfo folder = ReadBglInfo("C:\\bgl");
  EXPECT_EQ(folder.Version, -2);

  Result active = Classify(NewBgl({3, 101}), "x.bgl");
  Result inactive = Classify(NewBgl({3, 101}), "x.~bgl");
  EXPECT_EQ(active.Version, inactive.Version);
  EXPECT_EQ(active.Flags, inactive.Flags);
}

}  // namespace
