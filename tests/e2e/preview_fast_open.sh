#!/usr/bin/env bash
# The preview with a previewer that opens its window at once: ffplay.exe is a wrapper that starts
# Debian's ffplay (still under the name ffplay.exe) with a short probe of the stream, so its window
# is titled 预览 well before the tool looks for it. That window must be placed flush against the
# main window's right edge, top-aligned and of the main window's size, and stay there; unticking
# ends ffplay.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
mkdir -p "$WORK/system"
ln -s "$(command -v ffplay)" "$WORK/system/ffplay.exe"
rm "$FOLDER/ffplay.exe"
printf '#!/bin/sh\nexec %q -probesize 32 "$@"\n' "$WORK/system/ffplay.exe" >"$FOLDER/ffplay.exe"
chmod +x "$FOLDER/ffplay.exe"
xvfb_start
stream_start

driver_start "$(preview_script)"
previewer_watch
driver_finish 40
expect_preview_run 1
e2e_pass
