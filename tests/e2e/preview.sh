#!/usr/bin/env bash
# The preview of the pull source under an Xvfb of the test's own: ticking the preview box starts
# ffplay, the watchdog runs, and ffplay's window titled 预览 sits flush against the main window's
# right edge if it was there when the tool looked for it; unticking ends ffplay. Debian's ffplay
# probes the stream for about two seconds before it opens its window, which on most runs is after
# the tool's search: the test reports when the window came.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
xvfb_start
stream_start

driver_start "$(preview_script)"
previewer_watch
driver_finish 40
expect_preview_run 0
e2e_pass
