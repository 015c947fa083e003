#!/usr/bin/env bash
# Takes docs/render-test.png: the renderer's test scene (tools/render_test_scene.cpp) as a user
# sees it, shown in a private X server (Xvfb, Mesa's software OpenGL) and grabbed from the screen.
#   tools/render_screenshot.sh [output.png]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
output=$(realpath -m "${1:-$here/docs/render-test.png}")

build_target render_test_scene
start_display 1024x768x24

# The scene runs inside data/, where the demo finds its mesh and its environment map.
(cd "$here/data" && exec "$tree/tools/render_test_scene" 60) >"$work/scene.log" 2>&1 &
track $!
scene=$!
wait_for "$scene" "$work/scene.log" "the scene was never drawn" grep -q '^drawn$' "$work/scene.log"

# Zoom in as a user would, so that the ball's shading shows: a right-button drag upwards by a
# fifth of the view's height brings the camera 8 units closer.
window=$(xdotool search --name '^RenderWindow$' | head -n1)
for step in "mousemove --window $window 454 500" "mousedown 3" "mousemove --window $window 454 356" "mouseup 3"; do
    xdotool $step
    sleep 0.2
done
sleep 1

mkdir -p "$(dirname "$output")"
xwd -silent -name RenderWindow | convert xwd:- "png:$output"
echo "render_screenshot: wrote $output"
