// The marker search of device discovery on arbitrary listings, markers and options, and the
// discovery's own use of it on the input taken as a whole listing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "devices/discovery.h"
#include "fuzz_input.h"
#include "platform/events.h"

namespace {

// Nothing is pending while the fuzzer runs.
class NoEvents : public morvane::EventPump {
 public:
  void SetTimerSource(morvane::TimerSource*) override {}
  void ProcessEvents() override {}
  void DelayWithEvents(int) override {}
  void Sleep(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NoEvents events;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> results;

  // The whole input as a listing, searched the way discovery searches it.
  const std::string name = morvane::TextBetween(input, "]", "\"", 1000, false);
  const std::string marker = "]" + name + "\"";
  const int count = morvane::AllTextsBetween(events, input, marker, "\"", results,
                                             {.prefix = "\"", .with_right_marker = true});
  if (count != static_cast<int>(results.size())) abort();
  for (const std::string& item : results) {
    if (item.size() < 2 || item.front() != '"' || item.back() != '"') abort();
  }

  // Options from the first bytes, then text, left and right markers, prefix and suffix.
  if (size < 4) return 0;
  const uint8_t flags = data[0];
  const int start = static_cast<int8_t>(data[1]) * 16;
  const int max_length = data[2] % 8 == 0 ? 0 : data[2];
  const std::vector<std::string_view> parts = SplitAtZeros(input.substr(3), 5);
  const bool ignore_case = (flags & 1) != 0;

  (void)morvane::TextBetween(parts[0], parts[1], parts[2], start, ignore_case);
  const morvane::TextsBetweenOptions options{
      .ignore_case = ignore_case,
      .max_length = max_length,
      .prefix = parts[3],
      .suffix = parts[4],
      .with_left_marker = (flags & 2) != 0,
      .with_right_marker = (flags & 4) != 0,
      .start = start,
  };
  const int n = morvane::AllTextsBetween(events, parts[0], parts[1], parts[2], results, options);
  if (n != static_cast<int>(results.size())) abort();
  for (const std::string& item : results) {
    if (max_length != 0 && static_cast<int>(item.size()) >= max_length) abort();
  }
  return 0;
}
