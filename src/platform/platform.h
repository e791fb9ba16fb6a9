// Every platform service the core uses, by kind.
#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/encoding.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/profile.h"
#include "platform/windows.h"

namespace morvane {

struct Platform {
  Clock& clock;
  Encoding& encoding;
  Files& files;
  Processes& processes;
  Windows& windows;
  Dialogs& dialogs;
  EventPump& events;
  ProfileFiles& profiles;
};

}  // namespace morvane
