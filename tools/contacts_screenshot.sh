#!/usr/bin/env bash
# Takes docs/contacts.png: the demo's main window in the attract mode with Show Contacts on (the
# witness segments, closest features and contact normals over the view, its line of figures in
# the view's bottom left corner), shown in a private X server (Xvfb, Mesa's software OpenGL) and grabbed from the
# screen at the first moment the white normal arrow of a contact with the paddle shows.
#   tools/contacts_screenshot.sh [output.png]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
output=$(realpath -m "${1:-$here/docs/contacts.png}")

start_demo --play --autopilot
timeout 60 xdotool windowfocus --sync "$window" key c

# Whether the view, grabbed now, has white pixels within GEOMETRY: only the overlay draws white.
white_in() {
    xwd -silent -id "$window" >"$work/frame.xwd" &&
        convert "$work/frame.xwd" -crop "$1" -fx 'r>0.97&&g>0.97&&b>0.97' -format '%[fx:maxima]' \
            info: | grep -q '^1'
}
# The overlay is up once its line shows in the view's bottom left corner (the view is 720 high).
figures_shown() { white_in 300x16+13+701; }
# A primary contact lasts a few ticks; the arrow of one with the paddle shows just above the
# paddle, in a band that no block reaches (a block just hit lights up nearly white).
arrow_shown() { white_in 900x80+5+480; }
wait_for "$demo" "$work/demo.log" "no contacts drawn" figures_shown
wait_for "$demo" "$work/demo.log" "no contact came about" arrow_shown

mkdir -p "$(dirname "$output")"
convert "$work/frame.xwd" "png:$output"
echo "contacts_screenshot: wrote $output"
