// Date-time texts: any input is read without a crash, and a value read back from its own text
// form is the same value, as the scheduled-time box relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "recording/date_time.h"
#include "text/gbk_text.h"

using morvane::DateTime;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::optional<DateTime> parsed = morvane::ParseDateTime(text);
  const DateTime value = morvane::TextToDateTime(text);
  if (parsed) {
    if (*parsed != value || value < DateTime::Earliest() || value > DateTime::Latest()) abort();
    // The clang build writes the markers "年" … "秒" in UTF-8, whose bytes the full-width reading
    // may change; the property is checked for forms that it reads as written, as every GBK form.
    const std::string form = morvane::DateTimeToText(value);
    if (morvane::NormaliseFullWidth(form) == form) {
      const std::optional<DateTime> again = morvane::ParseDateTime(form);
      if (!again || *again != value) abort();
    }
  } else if (value != DateTime::Earliest()) {
    abort();
  }
  (void)morvane::DateTimeToText(value);

  // Any count of seconds, however far outside the range, has a text form.
  if (size >= sizeof(int64_t)) {
    int64_t seconds = 0;
    std::memcpy(&seconds, data, sizeof seconds);
    (void)morvane::DateTimeToText(DateTime::FromSeconds(seconds));
  }
  return 0;
}
