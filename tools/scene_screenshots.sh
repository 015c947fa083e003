#!/usr/bin/env bash
# Takes docs/scene_pile.png, docs/scene_head_on.png and docs/scene_stack.png: the demo's main
# window showing each shipped scene, chosen in its "Scene" chooser, a moment after it began, shown
# in a private X server (Xvfb, Mesa's software OpenGL) and grabbed from the screen. The head-on
# scene has Show Contacts and the motion trail on. The scene is stepped tick by tick with the
# Step key, so each picture shows the same simulated moment every time.
#   tools/scene_screenshots.sh [output folder]
# Needs the Debian packages xvfb, x11-apps (xwd), xdotool and imagemagick (convert); builds
# build/release.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/screenshot_common.sh"
folder=$(realpath -m "${1:-$here/docs}")
mkdir -p "$folder"

start_demo
# The chooser's entries: Breakout, Head-on, Pile, Stack; the chooser is under the list of bodies.
shoot() {  # shoot NAME ENTRY TICKS [KEYS...]
    local name=$1 entry=$2 ticks=$3
    shift 3
    timeout 60 xdotool windowfocus --sync "$window" mousemove --window "$window" 970 356 \
        click 1 key Up Up Up Up $(for _ in $(seq "$entry"); do echo Down; done) Return "$@"
    # A step a few frames apart, so that the trail keeps its poses.
    timeout 120 xdotool key --delay 60 $(for _ in $(seq "$ticks"); do echo t; done)
    sleep 1
    xwd -silent -id "$window" | convert xwd:- "png:$folder/scene_$name.png"
    echo "scene_screenshots: wrote $folder/scene_$name.png"
}
shoot pile 2 75
shoot stack 3 63
shoot head_on 1 52 c m
