#!/usr/bin/env bash
# Takes docs/trail.png: the demo's main window in the attract mode with the motion trail on (m),
# faint copies of the ball's last poses behind it, shown in a private X server (Xvfb, Mesa's
# software OpenGL) and grabbed from the screen once the ball has flown a second with it.
#   tools/trail_screenshot.sh [output.png]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
output=$(realpath -m "${1:-$here/docs/trail.png}")

start_demo --play --autopilot
# A second into the game the ball flies fast between the paddle and the blocks.
timeout 60 xdotool windowfocus --sync "$window"
sleep 1
timeout 60 xdotool key m
sleep 1

mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" | convert xwd:- "png:$output"
echo "trail_screenshot: wrote $output"
