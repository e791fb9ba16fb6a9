// Capture-device discovery: the recorder's DirectShow listing turned into the two device lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct App;
class EventPump;

// Asks the recorder for its capture devices, logs them and adds each to the video or audio list.
// The lists are not cleared first.
void DiscoverCaptureDevices(App& app);

// The text between the first `left` at or after byte position `start` (1-based; 1 or less: from
// the beginning) and the next `right` behind it; empty when either marker is missing. Markers
// never match on the second byte of a double-byte character.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignore_case);

// How AllTextsBetween shapes and filters what it finds. The fields are in parameter order, so a
// designated initializer names them in that order too.
struct TextsBetweenOptions {
  bool ignore_case = false;  // letters of the markers compare without regard to case
  int max_length = 0;        // 0: keep every item; otherwise keep items shorter than this (bytes)
  std::string_view prefix = {};    // put in front of each text found
  std::string_view suffix = {};    // put behind it
  bool with_left_marker = false;   // the left marker goes in front of the prefix as well
  bool with_right_marker = false;  // the right marker goes behind the suffix as well
  int start = 0;                   // 1-based byte position of the first search; 1 or less: all
};

// Empties `results`, then appends one item for each left marker that has a right marker behind
// it, in order of appearance, and returns the number of items. Each search for the next left
// marker starts just behind the previous left marker, not behind its right marker, so found
// texts may overlap. After each pair found, pending events are handled three times through
// `events`, whether or not the item was kept.
int AllTextsBetween(EventPump& events, std::string_view text, std::string_view left,
                    std::string_view right, std::vector<std::string>& results,
                    const TextsBetweenOptions& options);

}  // namespace morvane
