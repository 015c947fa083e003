# Sourced by the screenshot scripts. Sets `here` (the repository) and `tree` (build/release), a
# scratch folder `work`, and offers:
#   build_target TARGET    configure build/release and build TARGET in it
#   start_display GEOMETRY a private X server (Xvfb, Mesa's software OpenGL) of that screen size,
#                          which becomes DISPLAY
#   track PID              stop that process when the script exits
#   wait_for PID LOG WHAT COMMAND...
#                          run COMMAND every tenth of a second until it succeeds; if process PID
#                          ends first or half a minute passes, show LOG and fail saying WHAT
# On exit everything tracked is stopped, newest first, and the scratch folder is removed.
# Every screenshot script needs the same four programs; a missing one is named with its package
# (the test set-up installs all but xwd) rather than left to fail halfway, a scene "never drawn".
for need in Xvfb:xvfb xwd:x11-apps xdotool:xdotool convert:imagemagick; do
    if ! command -v "${need%%:*}" >/dev/null; then
        echo "$(basename "$0"): needs ${need%%:*}, Debian package ${need#*:}" >&2
        exit 1
    fi
done
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$here/build/release"
work=$(mktemp -d)
tracked=""

cleanup() {
    set +e
    for pid in $tracked; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

track() { tracked="$1 $tracked"; }

wait_for() {
    local pid=$1 log=$2 what=$3 _
    shift 3
    for _ in $(seq 300); do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    echo "$(basename "$0"): $what" >&2
    exit 1
}

build_target() {
    cmake -S "$here" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DTOVREL_TESTS=OFF >/dev/null
    cmake --build "$tree" -j 2 --target "$1" >/dev/null
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp >/dev/null 2>&1 &
    track $!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "$(basename "$0"): Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
}

# Builds the demo, starts a private display and the demo on it inside data/ (where it finds its
# mesh and its environment map) with the given options, and sets `demo` to its process and
# `window` to its main window.
start_demo() {
    build_target tovrel-demo
    start_display 1280x1024x24
    (cd "$here/data" && exec "$tree/app/tovrel-demo" "$@") >"$work/demo.log" 2>&1 &
    track $!
    demo=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tovrel Demo$' | head -n1)
    [ -n "$window" ] || { cat "$work/demo.log" >&2; echo "$(basename "$0"): no window" >&2; exit 1; }
}
