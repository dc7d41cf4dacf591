#!/usr/bin/env bash
# Runs one test program under its own Xvfb display (for hotkeys and real windows).
set -u
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
