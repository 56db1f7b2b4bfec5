// Fuzzes the reader of Wine's registry files (user.reg, system.reg): any
// bytes are parsed, then keys and values are looked up, with names taken
// from the input itself so that lookups also hit what the parser stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/wine_registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const winereg::Hive hive = winereg::Hive::Parse(bytes);

  // The text between the first '[' and ']' as a key path (doubled
  // backslashes undone), and the first quoted text as a value name.
  std::string path;
  const size_t open = bytes.find('[');
  const size_t close = open == std::string_view::npos ? open : bytes.find(']', open);
  if (close != std::string_view::npos) {
    std::string_view raw = bytes.substr(open + 1, close - open - 1);
    for (size_t i = 0; i < raw.size(); ++i) {
      path += raw[i];
      if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\') ++i;
    }
  }
  std::string name;
  const size_t q1 = bytes.find('"');
  const size_t q2 = q1 == std::string_view::npos ? q1 : bytes.find('"', q1 + 1);
  if (q2 != std::string_view::npos) name = std::string(bytes.substr(q1 + 1, q2 - q1 - 1));

  const bool has = hive.HasKey(path);
  const winereg::Value* value = hive.FindValue(path, name);
  if (value && !has) std::abort();  // a value lives in a key that exists
  if (value && !value->IsString && !value->Text.empty()) std::abort();
  (void)hive.FindValue(path, "");
  (void)hive.HasKey("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0");
  (void)hive.FindValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", "AppPath");
  if (hive.KeyCount() == 0 && has && !path.empty()) {
    // A key is only found when some key line holds it.
    std::abort();
  }
  return 0;
}
