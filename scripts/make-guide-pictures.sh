#!/usr/bin/env bash
# Takes the pictures of the operator's guide (docs/guide/) from the real program on a virtual
# hybrid, in English and in Dutch: the main window during a call, the incoming call window, the
# call history and the phonebook. The program runs on a virtual display of its own with the
# operator's menus (no --service), with its own settings, phonebook and history in a temporary
# folder, and on a session bus of its own, so that its remote control answers only this script.
#
#     scripts/make-guide-pictures.sh [build directory] [display number]
#
# The build directory defaults to build (as ./run makes it) and is built when the program is
# missing; the display defaults to :77. Needs Xvfb, openbox, xdotool, ImageMagick and
# dbus-run-session.
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD_DIR=${1:-build}
DISPLAY_NUMBER=${2:-77}
PROGRAM=$ROOT/$BUILD_DIR/src/parlona-control
OUT=$ROOT/docs/guide
# A picture larger than this is written with fewer colours.
MAX_BYTES=150000

for tool in Xvfb openbox xdotool import convert compare dbus-run-session python3; do
    command -v "$tool" >/dev/null || { echo "error: $tool is missing" >&2; exit 1; }
done

# The whole run, display and program included, lives on a private session bus.
if [ -z "${PARLONA_GUIDE_BUS:-}" ]; then
    if [ ! -x "$PROGRAM" ]; then
        cmake -S "$ROOT" -B "$ROOT/$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build "$ROOT/$BUILD_DIR" -j2 --target parlona-control
    fi
    exec dbus-run-session -- env PARLONA_GUIDE_BUS=1 "$0" "$@"
fi

WORK=$(mktemp -d)
export DISPLAY=:$DISPLAY_NUMBER
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "error: $*" >&2
    # What the screen showed, to see what went wrong.
    if import -window root "${TMPDIR:-/tmp}/guide-pictures-failure.png" 2>/dev/null; then
        echo "The screen is in ${TMPDIR:-/tmp}/guide-pictures-failure.png" >&2
    fi
    [ -f "$WORK/program.log" ] && tail -20 "$WORK/program.log" >&2
    exit 1
}

# Finds things in a screenshot: the program's widgets are drawn into one X window each, so
# xdotool cannot name them, but their look is known.
cat >"$WORK/locate.py" <<'PYTHON'
import sys

def read_ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    # The red channel: the widgets looked for are grey, white or nearly black.
    return width, height, lambda x, y: pixels[3 * (y * width + x)]

def white_runs(get, y, x_from, x_to, length):
    """The runs of at least length pure white pixels in row y, as (first, last)."""
    runs, start = [], None
    for x in range(x_from, x_to + 1):
        white = x < x_to and get(x, y) >= 253
        if white and start is None:
            start = x
        elif not white and start is not None:
            if x - start >= length:
                runs.append((start, x - 1))
            start = None
    return runs

def white_field(get, y_from, width, height):
    """The top left corner inside the first entry field below y_from. An entry field is white
    inside, from top to bottom beside its text; a button's face is white only at its top."""
    for y in range(y_from, height - 12):
        for first, last in white_runs(get, y, 0, width, 100):
            if white_runs(get, y + 12, first, last + 1, 20):
                return first, y
    sys.exit('no entry field below row %d' % y_from)

width, height, get = read_ppm(sys.argv[2])
left, top = white_field(get, int(sys.argv[3]), width, height)
if sys.argv[1] == 'field':
    # A point inside the first entry field below a row: "field FILE Y_FROM".
    print(left + 20, top + 4)
elif sys.argv[1] == 'button-below-field':
    # The first dark button below that field, at the field's left edge: "button-below-field FILE
    # Y_FROM". Its outline is the first row below that is dark all along; its face is below it.
    for y in range(top + 20, height):
        if sum(1 for dx in range(4, 44) if get(left + dx, y) < 90) >= 36:
            print(left + 20, y + 8)
            sys.exit(0)
    sys.exit('no button below the field')
PYTHON

locate() {
    local window=$1
    shift
    import -window "$window" "$WORK/shot.png"
    convert "$WORK/shot.png" -depth 8 "PPM:$WORK/shot.ppm"
    python3 "$WORK/locate.py" "$1" "$WORK/shot.ppm" "${@:2}"
}

# The top left corner of the tool bar button's icon that shows the given picture of the
# program's resources. Only the icon's lower part is compared: a count of missed calls may
# cover its upper right corner.
toolbar_icon() {
    local window=$1 icon=$2
    import -window "$window" -crop 2000x130+0+0 +repage "$WORK/toolbar.png"
    convert "$ROOT/resources/png/$icon" -resize 48x48 -background "rgb(239,239,239)" -flatten \
        -crop 48x20+0+28 +repage "$WORK/icon.png"
    # compare ends with 1 when the pictures differ at all, which they always do a little.
    { compare -metric RMSE -subimage-search "$WORK/toolbar.png" "$WORK/icon.png" null: 2>&1 || true; } \
        | sed -n 's/.* @ \([0-9]*\),\([0-9]*\).*/\1 \2/p' | tail -1
}

click_toolbar() {
    local at
    at=$(toolbar_icon "$MAIN" "$1")
    [ -n "$at" ] || fail "no tool bar button with $1"
    # shellcheck disable=SC2086
    set -- $at
    xdotool mousemove --window "$MAIN" $(($1 + 24)) $(($2 - 4)) click 1
    sleep 0.6
}

remote() {
    "$PROGRAM" "$@" >/dev/null || fail "parlona-control $* refused"
}

call_state() {
    "$PROGRAM" --status 2>/dev/null | sed -n 's/^call: //p'
}

wait_for_call() {
    local tries
    for tries in $(seq 100); do
        [ "$(call_state)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the call did not become $1 (it is $(call_state))"
}

# The caller field of the Virtual Hybrid panel; the panel's tab order goes on from there to
# "Incoming call" and, past the outgoing call's settings, to "Far end hangs up".
focus_caller_field() {
    local at
    xdotool windowactivate --sync "$PANEL"
    sleep 0.3
    at=$(locate "$PANEL" field 40) || fail "no caller field on the Virtual Hybrid panel"
    # shellcheck disable=SC2086
    xdotool mousemove --window "$PANEL" $at click 1
    sleep 0.2
}

ring_in() {
    focus_caller_field
    xdotool key ctrl+a BackSpace
    [ -z "$1" ] || xdotool type --delay 20 "$1"
    xdotool key Tab space
    wait_for_call ringing
}

far_end_hangs_up() {
    focus_caller_field
    xdotool key Tab Tab Tab space
    wait_for_call idle
}

talk() {
    wait_for_call active
    sleep "$1"
}

# Writes a screenshot small enough for the resources: fewer colours, then a smaller picture.
# With a third argument "frame", the window's title bar is in the picture too.
save_picture() {
    local window=$1 name=$2 frame=()
    [ "${3:-}" = frame ] && frame=(-frame)
    import "${frame[@]}" -window "$window" "$WORK/raw.png"
    convert "$WORK/raw.png" -strip -colors 256 "PNG8:$OUT/$name"
    if [ "$(stat -c %s "$OUT/$name")" -gt $MAX_BYTES ]; then
        convert "$WORK/raw.png" -strip -resize 85% -colors 128 "PNG8:$OUT/$name"
    fi
    echo "$name: $(identify -format '%wx%h' "$OUT/$name"), $(stat -c %s "$OUT/$name") bytes"
}

start_display() {
    Xvfb "$DISPLAY" -screen 0 1600x1100x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"
    openbox >"$WORK/openbox.log" 2>&1 &
    PIDS+=($!)
    sleep 1
}

# Starts the program in a language, with a phonebook and history of its own that connects to
# the virtual unit by itself.
start_program() {
    local language=$1 locale=$2 home=$WORK/$1
    mkdir -p "$home/config/Orvane" "$home/data" "$home/runtime"
    chmod 700 "$home/runtime"
    # Numbers are matched as a Dutch studio writes them, whatever the language.
    printf '[General]\nAutoConnect=true\nHomeCountry=NL\n' >"$home/config/Orvane/Parlona Control.conf"
    # The language follows LANG and LANGUAGE, which LC_ALL and LC_MESSAGES would override.
    env -u LC_ALL -u LC_MESSAGES XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" LANGUAGE="$language" LANG="$locale" \
        "$PROGRAM" --virtual-hybrid >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=($PROGRAM_PID)
    for _ in $(seq 100); do
        "$PROGRAM" --status 2>/dev/null | grep -q '^sim: ready' && break
        sleep 0.1
    done
    "$PROGRAM" --status 2>/dev/null | grep -q '^sim: ready' || fail "the program did not connect to the virtual unit"
    MAIN=$(xdotool search --sync --onlyvisible --name '^Parlona Control - v' | head -1)
    # The panel is the program's other window; its title is translated.
    PANEL=
    for _ in $(seq 50); do
        PANEL=$(xdotool search --onlyvisible --pid "$PROGRAM_PID" | grep -vx "$MAIN" | head -1 || true)
        [ -n "$PANEL" ] && break
        sleep 0.1
    done
    [ -n "$PANEL" ] || fail "no Virtual Hybrid window"
}

stop_program() {
    kill "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null || true
}

import_contacts() {
    local at
    cat >"$WORK/contacts.csv" <<'CSV'
first_name,last_name,phone_number,info
Anna,de Vries,0612345678,Listener from Utrecht; called in to the quiz twice
Bram,Bakker,06 2345 6789,Traffic reporter
Carla,Jansen,+31 6 3456 7890,Guest on Friday's show
Daan,Visser,020 555 0134,Sports desk
Eva,Smit,+31 10 555 0199,Weather
Sanne,Mulder,06-45678901,Reporter on location
CSV
    click_toolbar phonebook.png
    at=$(locate "$MAIN" button-below-field 100) || fail "no Import button on the phonebook page"
    # shellcheck disable=SC2086
    xdotool mousemove --window "$MAIN" $at click 1
    sleep 1.5
    # The file dialog starts in its file name field.
    xdotool type --delay 10 "$WORK/contacts.csv"
    xdotool key Return
    sleep 2
    # The message that tells how many contacts came in.
    xdotool key Return
    sleep 0.5
}

# The call keys, as the operator presses them: they work in every window of the program.
press() {
    xdotool key "$1"
    sleep 0.3
}

# Calls of every kind, so that the history shows its colours.
make_history() {
    ring_in +31612345678
    [ "$("$PROGRAM" --status | sed -n 's/^name: //p')" = "Anna de Vries" ] || fail "the contacts were not imported"
    press F9
    talk 3
    far_end_hangs_up
    ring_in +31201234567
    far_end_hangs_up
    ring_in +31623456789
    press F10
    wait_for_call idle
    ring_in +31634567890
    far_end_hangs_up
    ring_in +31205550134
    far_end_hangs_up
    ring_in +31205550134
    far_end_hangs_up
    ring_in ""
    press F10
    wait_for_call idle
    # Calling Carla back from the dial pad marks her missed call: the number as she called.
    click_toolbar dialpad.png
    # shellcheck disable=SC2046
    xdotool mousemove --window "$MAIN" $(locate "$MAIN" field 100) click 1
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "+31634567890"
    press Return
    talk 2
    press F10
    wait_for_call idle
    # The dial pad's number would stand beside the next call in the pictures.
    # shellcheck disable=SC2046
    xdotool mousemove --window "$MAIN" $(locate "$MAIN" field 100) click 1
    xdotool key ctrl+a BackSpace
}

take_pictures() {
    local suffix=$1
    ring_in +31612345678
    sleep 1
    local incoming
    incoming=$(xdotool search --onlyvisible --name '\.\.\.$' | head -1)
    [ -n "$incoming" ] || fail "no incoming call window"
    save_picture "$incoming" "incoming-call$suffix.png" frame
    press F9
    talk 6
    xdotool windowactivate --sync "$MAIN"
    click_toolbar dialpad.png
    save_picture "$MAIN" "main-window$suffix.png"
    click_toolbar history.png
    save_picture "$MAIN" "call-history$suffix.png"
    click_toolbar phonebook.png
    save_picture "$MAIN" "phonebook$suffix.png"
    press F10
    wait_for_call idle
}

mkdir -p "$OUT"
start_display
for language in en nl; do
    case $language in
    en) locale=en_GB.UTF-8 suffix= ;;
    nl) locale=nl_NL.UTF-8 suffix=.nl ;;
    esac
    start_program "$language" "$locale"
    import_contacts
    make_history
    take_pictures "$suffix"
    stop_program
done
echo "Pictures written to $OUT"
