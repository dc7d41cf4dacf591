#!/usr/bin/env bash
# Runs one test program under its own Xvfb display (for hotkeys and real windows). -noreset: by
# default the server resets when its last client leaves, and a program that connects during that
# reset (the next child a test starts) is refused.
set -u
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
