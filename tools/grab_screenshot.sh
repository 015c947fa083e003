#!/usr/bin/env bash
# Takes docs/grab.png: the demo's main window while the ball is carried with Shift and the left
# button, shown in a private X server (Xvfb, Mesa's software OpenGL) and grabbed from the screen
# mid-drag, the ball stretched along the way it is carried; then lets it go.
#   tools/grab_screenshot.sh [output.png]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
output=$(realpath -m "${1:-$here/docs/grab.png}")

start_demo
# The ball waits at (-4, 0, 5): 146 pixels left of the view's middle, at its height.
timeout 60 xdotool windowfocus --sync "$window" mousemove --window "$window" 313 365 \
    keydown shift mousedown 1 keyup shift key p
# Carried to the right and a little down, below the blocks, a small step about every tick, and
# grabbed while still moving.
timeout 60 xdotool $(for _ in $(seq 40); do echo "mousemove_relative -- 5 1 sleep 0.02"; done)
mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" | convert xwd:- "png:$output"
timeout 60 xdotool mouseup 1
echo "grab_screenshot: wrote $output"
