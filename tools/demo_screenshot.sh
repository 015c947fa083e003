#!/usr/bin/env bash
# Takes docs/screenshot.png: the demo's main window as a user sees it right after start-up (the
# room, the first layout of blocks, the paddle, the toon-shaded ball and every control at its first
# value), shown in a private X server (Xvfb, Mesa's software OpenGL) and grabbed from the screen.
#   tools/demo_screenshot.sh [output.png]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
output=$(realpath -m "${1:-$here/docs/screenshot.png}")

start_demo

# The first frame is up once the toon map has been set up and the back wall's green shows in the
# middle of the view.
first_frame_drawn() {
    grep -q '^Enabling environment mapping' "$work/demo.log" &&
        xwd -silent -id "$window" | convert xwd:- -crop 1x1+459+436 -depth 8 txt:- |
        grep -Eq 'srgb\(0,[0-9]{2,3},0\)'
}
wait_for "$demo" "$work/demo.log" "the scene was never drawn" first_frame_drawn

mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" | convert xwd:- "png:$output"
echo "demo_screenshot: wrote $output"
