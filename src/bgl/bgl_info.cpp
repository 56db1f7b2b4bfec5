// Reading a BGL file's format version and content elements from its header.
#include "bgl/bgl_info.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/platform.h"

namespace {

// The newer format starts with the bytes 01 02.
constexpr uint16_t kNewFormatMarker = 0x0201;
constexpr int32_t kNewHeaderSize = 56;
constexpr size_t kNewHeaderBytes = 24;  // up to and including the section count
constexpr size_t kSectionRecordSize = 20;

// The older header is requested in full, but its last examined field (the
// format marker) ends at offset 122.
constexpr size_t kOldHeaderBytes = 168;
constexpr size_t kOldHeaderNeeded = 122;
constexpr uint32_t kOldMarkerV6 = 0;
constexpr uint32_t kOldMarkerV7 = 0x87654321;

// Section directory records are read in blocks of this many, so that the
// memory used does not depend on the count stored in the file.
constexpr size_t kRecordsPerBlock = 1024;

uint32_t U32At(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t I32At(const unsigned char* p) { return static_cast<int32_t>(U32At(p)); }

// Reads up to `count` bytes at `offset`; returns the number of bytes read
// (less than `count` only at the end of the file or on an error, which is
// kept in `failed` unless one is there already).
size_t ReadFully(plat::InputFile& file, uint64_t offset, unsigned char* buffer, size_t count,
                 plat::FileResult& failed) {
  size_t done = 0;
  plat::FileResult read = file.ReadAt(offset, buffer, count, done);
  if (!read && failed.Done()) failed = std::move(read);
  return done;
}

// The first bytes of a file, read at once: they hold the marker, either
// header and the first section records of the newer format, so that a
// typical file costs one read.  Reads beyond them go to the file.
class HeadReader {
 public:
  explicit HeadReader(plat::InputFile& file) : file_(file) {
    size_ = ReadFully(file_, 0, head_.data(), head_.size(), failed_);
  }

  // As ReadFully: the number of bytes read, less than `count` only at the
  // end of the file (or on an error).
  size_t Read(uint64_t offset, unsigned char* buffer, size_t count) {
    if (offset + count <= size_) {
      std::memcpy(buffer, head_.data() + offset, count);
      return count;
    }
    if (size_ < head_.size()) {
      // The file ended within the head.
      if (offset >= size_) return 0;
      const size_t present = size_ - static_cast<size_t>(offset);
      std::memcpy(buffer, head_.data() + offset, present);
      return present;
    }
    return ReadFully(file_, offset, buffer, count, failed_);
  }

  // How the first read that failed (not merely met the end of the file)
  // failed; Done when none did.
  const plat::FileResult& Failed() const { return failed_; }

 private:
  plat::InputFile& file_;
  std::array<unsigned char, 512> head_;
  size_t size_ = 0;
  plat::FileResult failed_;
};

// The content element of one section type of the newer format.
int SectionElement(int32_t type) {
  switch (type) {
    case 3: case 44: return 14;
    case 19: case 40: return 15;
    case 23: case 41: return 16;
    case 24: return 17;
    case 32: return 18;
    case 34: case 42: return 19;
    case 35: return 20;
    case 37: return 21;
    case 39: return 22;
    case 43: return 23;
    case 46: return 24;
    case 47: return 25;
    case 101: return 26;
    case 103: return 27;
    case 104: return 28;
    case 105: return 29;
    default: return 30;
  }
}

uint32_t Bit(int element) { return uint32_t{1} << element; }

// Newer format: the header, then the section directory.  A directory that
// ends before its count is read as far as it goes.
void ClassifyNew(HeadReader& file, int32_t& version, uint32_t& flags) {
  unsigned char header[kNewHeaderBytes];
  if (file.Read(0, header, sizeof header) < sizeof header) return;
  const int32_t headerSize = I32At(header + 4);
  const int32_t sectionCount = I32At(header + 20);
  if (headerSize != kNewHeaderSize || sectionCount <= 0) return;

  version = 9;
  std::array<unsigned char, kRecordsPerBlock * kSectionRecordSize> block;
  uint64_t offset = static_cast<uint64_t>(headerSize);
  size_t remaining = static_cast<size_t>(sectionCount);
  while (remaining > 0) {
    const size_t records = remaining < kRecordsPerBlock ? remaining : kRecordsPerBlock;
    const size_t got = file.Read(offset, block.data(), records * kSectionRecordSize);
    // A record counts when its type field is there; the 16 bytes after it
    // are never examined.
    size_t present = got / kSectionRecordSize;
    if (got % kSectionRecordSize >= 4) ++present;
    for (size_t i = 0; i < present; ++i) {
      const int32_t type = I32At(block.data() + i * kSectionRecordSize);
      flags |= Bit(SectionElement(type));
      if (type >= 101) version = 10;
    }
    if (got < records * kSectionRecordSize) break;
    remaining -= records;
    offset += records * kSectionRecordSize;
  }
}

// Older format: the fields examined for each version, with their element.
struct OldField {
  int Offset;
  int Element;
  bool V6;
  bool V7;
};

constexpr OldField kOldFields[] = {
    {18, 0, true, true},   {46, 13, false, true}, {54, 12, false, true},
    {58, 2, true, true},   {62, 3, true, true},   {66, 4, true, true},
    {74, 5, true, false},  {78, 6, true, true},   {82, 7, true, true},
    {102, 8, true, true},  {106, 9, true, true},  {110, 10, true, true},
    {114, 11, true, true},
};

// The version 6 fields that together give element 1.
constexpr int kSeedOffsets[] = {26, 30, 34, 38, 42, 46, 50, 54};

void ClassifyOld(HeadReader& file, int32_t& version, uint32_t& flags) {
  unsigned char header[kOldHeaderBytes] = {};
  if (file.Read(0, header, sizeof header) < kOldHeaderNeeded) return;
  const uint32_t marker = U32At(header + 118);
  if (marker == kOldMarkerV6) {
    version = 6;
  } else if (marker == kOldMarkerV7) {
    version = 7;
  } else {
    return;
  }
  for (const OldField& field : kOldFields) {
    const bool examined = version == 6 ? field.V6 : field.V7;
    if (examined && U32At(header + field.Offset) != 0) flags |= Bit(field.Element);
  }
  if (version == 6) {
    for (int offset : kSeedOffsets)
      if (U32At(header + offset) != 0) flags |= Bit(1);
  }
}

}  // namespace

BglInfo ReadBglInfo(const std::string& path) {
  BglInfo info;
  std::unique_ptr<plat::InputFile> input;
  info.Problem = plat::OpenInputFile(path, input);
  if (!input) return info;
  HeadReader file(*input);
  unsigned char marker[2];
  if (file.Read(0, marker, sizeof marker) < sizeof marker) {
    info.Problem = file.Failed();
    return info;
  }

  int32_t version = -2;
  uint32_t flags = 0;
  const uint16_t first = static_cast<uint16_t>(marker[0] | (marker[1] << 8));
  if (first == kNewFormatMarker) {
    ClassifyNew(file, version, flags);
  } else {
    ClassifyOld(file, version, flags);
  }
  if (!file.Failed().Done()) {
    info.Problem = file.Failed();
    return info;
  }
  if (version > 0) {
    info.Version = version;
    info.ContentFlags = flags;
  }
  return info;
}
