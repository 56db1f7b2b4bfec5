// Fuzzes the text encodings and the text rules with any bytes, as a library
// file, a batch file, a host name or a registry value may bring them:
//   - every conversion gives valid UTF-8 where it promises to, and each
//     round trip gives back what it must (1252 bytes through UTF-8, text
//     through UTF-16, the in-place 1252 form as the copying one);
//   - equality ignoring case agrees with its hash key and is symmetric, and
//     the order of texts is antisymmetric.
// The input is split at its first NUL into two texts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"
#include "platform/text_rules.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "text property broken: %s\n", what);
  std::abort();
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

void OneText(std::string_view text) {
  const std::string valid = encoding::ToValidUtf8(text);
  Check(encoding::IsValidUtf8(valid), "ToValidUtf8 gives valid UTF-8");
  Check(encoding::ToValidUtf8(valid) == valid, "valid text stays as it is");
  Check(encoding::IsValidUtf8(text) == (valid == text), "only invalid text changes");
  Check(encoding::CharCount(text) == encoding::CharCount(valid), "characters are counted alike");
  Check(encoding::FromUtf16(encoding::ToUtf16(text)) == valid, "UTF-16 round trip");

  const std::string bytes1252 = encoding::ToCodePage1252(text);
  std::string inPlace(text);
  encoding::MakeCodePage1252(inPlace);
  Check(inPlace == bytes1252, "the in-place 1252 form");
  Check(encoding::ToCodePage1252(encoding::FromCodePage1252(text)) == std::string(text),
        "1252 bytes round trip");
  Check(encoding::IsValidUtf8(encoding::FromCodePage1252(text)), "1252 bytes give valid UTF-8");
  Check(encoding::IsValidUtf8(encoding::DecodeTextFile(text)), "a text file gives valid UTF-8");

  const std::string lower = textrules::Lower(text);
  Check(encoding::IsValidUtf8(lower), "Lower gives valid UTF-8");
  Check(textrules::Lower(lower) == lower, "lower-casing twice changes nothing more");
  Check(textrules::EqualIgnoreCase(text, valid), "a byte means its 1252 character");
  Check(textrules::EqualIgnoreCase(text, text), "equal to itself");
  Check(textrules::CompareLowerOrder(text, valid) == 0, "ordered with its valid form");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string_view a = input.substr(0, cut);
  const std::string_view b = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
  OneText(a);
  OneText(b);
  const bool equal = textrules::EqualIgnoreCase(a, b);
  Check(equal == textrules::EqualIgnoreCase(b, a), "equality is symmetric");
  Check(equal == (textrules::Folded(a) == textrules::Folded(b)), "the folded key agrees");
  Check(Sign(textrules::CompareLowerOrder(a, b)) == -Sign(textrules::CompareLowerOrder(b, a)),
        "order is antisymmetric");
  Check(Sign(textrules::CompareNtfsNames(a, b)) == -Sign(textrules::CompareNtfsNames(b, a)),
        "NTFS order is antisymmetric");
  return 0;
}
