#include "platform/posix/posix_platform.h"

#include <utility>

namespace morvane {

PosixPlatform::PosixPlatform(PosixOptions options)
    : clock_(MakeSystemClock()),
      encoding_(MakeSystemEncoding()),
      files_(*encoding_),
      processes_(*encoding_, children_, std::move(options.child_output)),
      windows_(children_, options.screen),
      dialogs_(files_),
      events_(*clock_, children_),
      profiles_(files_),
      platform_{*clock_, *encoding_, files_, processes_, windows_, dialogs_, events_, profiles_} {}

}  // namespace morvane
