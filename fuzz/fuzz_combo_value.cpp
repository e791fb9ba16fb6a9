// The stored combo-box value: any text is read without a crash, and what is read is stored and
// read back as the same items, selection and text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/settings_files.h"

namespace {

bool Same(const morvane::ComboValue& a, const morvane::ComboValue& b) {
  if (a.items.size() != b.items.size() || a.selection != b.selection || a.text != b.text) {
    return false;
  }
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    if (a.items[i].text != b.items[i].text || a.items[i].value != b.items[i].value) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view stored(reinterpret_cast<const char*>(data), size);
  const morvane::ComboValue first = morvane::ParseComboValue(stored);
  const std::string again = morvane::ComposeComboValue(first);
  if (again.empty()) abort();
  if (!Same(morvane::ParseComboValue(again), first)) abort();
  return 0;
}
