#!/bin/sh
# xvfb_check.sh: the built game seen from outside, in a real (virtual) X
# server. It starts the game under Xvfb, looks at its window with xdotool,
# photographs it with ImageMagick's `import` and presses keys as a player
# would:
#   - a window of 640 x 480 named "Cropstack" appears;
#   - the title screen is drawn (neither black nor one flat colour);
#   - the window resized by xdotool shows the whole picture scaled and
#     centred; Alt+Enter makes it full screen (the whole display) and back,
#     and starts no game;
#   - Return on the menu starts play, and the picture becomes a board;
#   - Escape leaves play, Escape on the title ends the program with status 0.
# With --installed, the game is installed under a temporary prefix and run
# through its launcher by an ordinary user who cannot write the installed
# files: a key redefined in the menu must land in that user's
# $XDG_CONFIG_HOME/cropstack/cropstack.ini and the installed file stay as it was.
# With --unpacked, a tree installed already (the Debian package unpacked with
# dpkg -x), given by its prefix, is run the same way as an ordinary user,
# without the key redefinition (--installed covers where settings go).
#
#   xvfb_check.sh BIN_DIR [OUT_DIR]
#   xvfb_check.sh --installed BUILD_DIR [OUT_DIR]
#   xvfb_check.sh --unpacked PREFIX [OUT_DIR]
#
# Every wait has a time limit and everything started here is stopped on exit.
set -u

mode=run
unpacked=no
if [ "${1:-}" = "--installed" ] || [ "${1:-}" = "--unpacked" ]; then
    [ "$1" = "--unpacked" ] && unpacked=yes
    mode=installed
    shift
fi
[ $# -ge 1 ] || { echo "usage: $0 [--installed | --unpacked] DIR [OUT_DIR]" >&2; exit 2; }
src=$(cd "$1" && pwd) || exit 2
out=${2:-$(pwd)/blackbox-$mode}
mkdir -p "$out" || exit 2
out=$(cd "$out" && pwd)

for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/cropstack-blackbox.XXXXXX") || exit 2
chmod 755 "$work"
xvfb_pid=
game_pid=

cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    sleep 0.2
    [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill -9 "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

fail() {
    echo "FAIL: $*"
    [ -f "$work/log/ErrorLog.txt" ] && { echo "--- game log"; cat "$work/log/ErrorLog.txt"; }
    [ -f "$work/game.err" ] && { echo "--- game output"; tail -20 "$work/game.err"; }
    exit 1
}
note() { echo "ok: $*"; }

# ------------------------------------------------------------------ the game's copy

mkdir -p "$work/log" "$work/config"
chmod 777 "$work/log" "$work/config"
if [ "$mode" = run ]; then
    # A copy, so settings the game writes back never touch the build tree.
    game_dir="$work/game"
    mkdir -p "$game_dir"
    [ -x "$src/cropstack" ] || fail "no game program in $src"
    cp "$src/cropstack" "$src"/*.ddd "$src"/*.png "$src"/*.bmp "$src"/*.wav \
        "$src/cropstack.ini" "$game_dir"/ || fail "the game's files are incomplete in $src"
    cp -r "$src/levlib" "$game_dir"/ || fail "no levlib in $src"
    launch="$game_dir/cropstack"
elif [ "$unpacked" = yes ]; then
    prefix="$src"
    launch="$prefix/bin/cropstack"
    game_dir="$prefix/lib/cropstack"
else
    prefix="$work/prefix"
    # Installing rewrites the build's list of installed files; a real
    # installation's list is put back so it can still be removed by it.
    manifest="$src/install_manifest.txt"
    [ -f "$manifest" ] && cp "$manifest" "$work/manifest.saved"
    timeout 120 cmake --install "$src" --prefix "$prefix" >"$work/install.log" 2>&1
    installed=$?
    if [ -f "$work/manifest.saved" ]; then cp "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
    [ $installed = 0 ] || { cat "$work/install.log"; fail "cmake --install"; }
    launch="$prefix/bin/cropstack"
    game_dir="$prefix/lib/cropstack"
fi
if [ "$mode" = installed ]; then
    [ -x "$launch" ] || fail "no launcher at $launch"
    [ -f "$prefix/share/applications/cropstack.desktop" ] || fail "no desktop entry"
    [ -f "$prefix/share/icons/hicolor/64x64/apps/cropstack.png" ] || fail "no icon"
    chmod -R a+rX "$prefix"
    cp "$game_dir/cropstack.ini" "$work/shipped.ini"
    note "installed under $prefix"
fi

# An ordinary player may not write the installed files; root may write
# anything, so under root the installed game runs as "nobody".
as_player=""
if [ "$mode" = installed ] && [ "$(id -u)" = 0 ]; then
    chmod -R a-w "$prefix"
    command -v setpriv >/dev/null 2>&1 || { echo "SKIP: setpriv is missing"; exit 77; }
    as_player="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi

# ------------------------------------------------------------------ the X server

# No reset when the last client leaves: while the game reopens its window
# the server would otherwise restart and refuse xdotool for a moment.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
    i=$((i + 1))
    [ $i -le 100 ] || { cat "$work/xvfb.log"; fail "Xvfb did not start within 10 s"; }
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
note "Xvfb on $DISPLAY"

# ------------------------------------------------------------------ helpers

# Presses a key long enough for a frame to see it (the game reads the key
# state once per frame, so an instant press and release could be missed).
press() {
    timeout 5 xdotool keydown "$1" || fail "xdotool keydown $1"
    sleep 0.15
    timeout 5 xdotool keyup "$1" || fail "xdotool keyup $1"
    sleep 0.15
}

shot() {
    timeout 10 import -window "$wid" "$out/$1.png" 2>>"$work/import.log" || return 1
}

# Mean and standard deviation of the picture's brightness, 0..1.
stats() {
    convert "$out/$1.png" -colorspace Gray -format '%[fx:mean] %[fx:standard_deviation]' info:
}

# How different two pictures are: the root mean square error, 0..1.
difference() {
    compare -metric RMSE "$out/$1.png" "$out/$2.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'
}

is_drawn() { # mean stddev: not black and not one flat colour
    awk -v m="$1" -v s="$2" 'BEGIN { exit !(m > 0.05 && s > 0.02) }'
}

# How much greener than red and blue the picture is, on average: the boards'
# grass makes play clearly green, the white title screen is not.
greenness() {
    convert "$out/$1.png" -format '%[fx:mean.g - (mean.r + mean.b) / 2]' info:
}

# Takes pictures until the board is (yes) or is not (no) on screen.
wait_for_board() {
    i=0
    while :; do
        i=$((i + 1))
        [ $i -le 40 ] || return 1
        sleep 0.5
        shot "$2" || continue
        seen=$(greenness "$2")
        if [ "$1" = yes ]; then
            awk -v g="$seen" 'BEGIN { exit !(g > 0.1) }' && return 0
        else
            awk -v g="$seen" 'BEGIN { exit !(g < 0.08) }' && return 0
        fi
    done
}

# Menu pages slide over 25 frames; a slow software renderer needs the time.
slide() { sleep 1.5; }

# ------------------------------------------------------------------ the window

cd "$work" || exit 1
env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy TMPDIR="$work/log" \
    XDG_CONFIG_HOME="$work/config" HOME="$work/config" $as_player "$launch" \
    >"$work/game.out" 2>"$work/game.err" &
game_pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Cropstack$' 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window named Cropstack within 20 s"
name=$(timeout 5 xdotool getwindowname "$wid")
[ "$name" = "Cropstack" ] || fail "window title is '$name', not 'Cropstack'"
size=$(timeout 5 xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: *//p')
[ "$size" = "640x480" ] || fail "window is $size, not 640x480"
note "window 640x480 named Cropstack"
timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || timeout 5 xdotool windowfocus "$wid"

# ------------------------------------------------------------------ the title screen

# Thumbnails are rendered first; wait until a frame shows something.
i=0
while :; do
    i=$((i + 1))
    [ $i -le 40 ] || fail "the title screen was not drawn within 20 s (mean, deviation: $s)"
    sleep 0.5
    shot title || continue
    s=$(stats title)
    is_drawn $s && break
done
note "title screen drawn (mean, deviation: $s)"

# The menu takes input two seconds after the title screen starts.
sleep 2.5
shot menu || fail "no picture of the menu"

if [ "$mode" = installed ] && [ "$unpacked" = no ]; then
    # Root page: 1 Player, 2 Players, 4 Players, Options, Player 1 keys, ...
    for k in Down Down Down Down; do press $k; done
    press Return
    slide
    press Return # redefine "Up"
    press i      # scan code 23
    sleep 0.3
    press Left # back to the root page, onto "Player 1 keys", the line that led there
    slide
    for k in Up Up Up Up; do press $k; done # up to "1 Player"
fi

# ------------------------------------------------------------------ resizing and full screen

# Mean brightness of a part of a picture: WxH+X+Y.
part_mean() {
    convert "$out/$1.png" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}
geometry() { timeout 5 xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: *//p'; }

# 1000 x 600 shows the 640 x 480 picture scaled by 1.25: 800 x 600 from x 100,
# black bars beside it.
# The pointer is parked in the display's top left corner first, away from
# the menu's lines: a window moved or grown under it would have the menu
# follow it off the "1 Player" line.
timeout 5 xdotool mousemove 0 0 || fail "xdotool mousemove"
# The window grows from its corner; moved to the display's corner, all of it
# can be photographed.
timeout 5 xdotool windowsize "$wid" 1000 600 || fail "xdotool windowsize"
timeout 5 xdotool windowmove "$wid" 0 0 || fail "xdotool windowmove"
sleep 1
shot resized || fail "no picture of the resized window"
[ "$(geometry)" = "1000x600" ] || fail "the window is $(geometry) after resizing to 1000x600"
left=$(part_mean resized 90x600+0+0)
right=$(part_mean resized 90x600+910+0)
inside=$(convert "$out/resized.png" -crop 800x600+100+0 +repage -colorspace Gray \
    -format '%[fx:mean] %[fx:standard_deviation]' info:)
awk -v l="$left" -v r="$right" 'BEGIN { exit !(l < 0.02 && r < 0.02) }' ||
    fail "the bars beside the resized picture are not black ($left, $right)"
is_drawn $inside || fail "the resized window shows no picture (mean, deviation: $inside)"
note "resized to 1000x600: the picture scaled and centred (bars $left, $right)"

press alt+Return
sleep 1
[ "$(geometry)" = "1024x768" ] || fail "Alt+Enter gave a window of $(geometry), not the display"
shot full || fail "no picture of full screen"
s=$(stats full)
is_drawn $s || fail "full screen shows nothing (mean, deviation: $s)"
g=$(greenness full)
awk -v g="$g" 'BEGIN { exit !(g < 0.08) }' || fail "Alt+Enter started play (greenness $g)"
press alt+Return
sleep 1
[ "$(geometry)" = "1000x600" ] || fail "Alt+Enter again gave $(geometry), not the 1000x600 window"
note "Alt+Enter: full screen 1024x768 and back, no game started"
timeout 5 xdotool windowsize "$wid" 640 480 || fail "xdotool windowsize"
sleep 1
shot menu || fail "no picture of the menu"

# ------------------------------------------------------------------ play

g=$(greenness menu)
press Return # the menu slides out and the first level starts
wait_for_board yes play || fail "Return did not start play (greenness $g, then $(greenness play))"
sleep 0.5
shot play || fail "no picture of play"
s=$(stats play)
is_drawn $s || fail "play shows nothing (mean, deviation: $s)"
d=$(difference menu play)
note "Return started play (greenness $g, then $(greenness play); difference $d)"

# ------------------------------------------------------------------ the mouse

# Share of the picture's pixels in the yellow of the way marked under the pointer.
yellowness() {
    convert "$out/$1.png" -fx '(r > 0.45 && g > 0.7 && b < 0.35) ? 1 : 0' -format '%[fx:mean]' info:
}

# Moved over the room of level 1, the pointer marks the way to the cell under
# it; a click there walks the character, and the camera follows it.
timeout 5 xdotool mousemove --window "$wid" 320 300 || fail "xdotool mousemove"
sleep 0.3
timeout 5 xdotool mousemove --window "$wid" 324 304 || fail "xdotool mousemove"
sleep 0.5
shot pointed || fail "no picture of the pointer over the board"
y0=$(yellowness play)
y1=$(yellowness pointed)
awk -v a="$y0" -v b="$y1" 'BEGIN { exit !(b > a + 0.0005) }' ||
    fail "the pointer over the board marked no way (yellow $y0, then $y1)"
timeout 5 xdotool click --window "$wid" 1 || fail "xdotool click"
sleep 3
shot walked || fail "no picture after the click"
d=$(difference pointed walked)
awk -v d="$d" 'BEGIN { exit !(d > 0.01) }' || fail "the click moved nothing (difference $d)"
note "the pointer marks the way (yellow $y0, then $y1) and a click walks it (difference $d)"

# ------------------------------------------------------------------ the end

press Escape # the iris closes, the title screen follows
wait_for_board no back || fail "Escape in play did not lead back to the title"
kill -0 "$game_pid" 2>/dev/null || fail "the game ended on Escape in play"
# Escape on the title screen ends the program; pressed again until it does,
# in case the first press came while the title was still being prepared.
i=0
while kill -0 "$game_pid" 2>/dev/null; do
    i=$((i + 1))
    [ $i -le 20 ] || fail "the game did not end within 10 s of Escape on the title"
    press Escape
    sleep 0.2
done
wait "$game_pid"
status=$?
game_pid=
[ "$status" = 0 ] || fail "the game ended with status $status"
note "Escape, Escape: back to the title, then the program ended with status 0"

if [ "$mode" = installed ] && [ "$unpacked" = no ]; then
    copy="$work/config/cropstack/cropstack.ini"
    [ -f "$copy" ] || fail "no settings in \$XDG_CONFIG_HOME/cropstack"
    binding=$(awk -F= '{ sub(/\r$/, "") } /^\[/ { section = $0 } section == "[keyconfig1]" && $1 == "1value" { print $2 }' "$copy")
    [ "$binding" = K23 ] || fail "the redefined key is '$binding', not K23, in $copy"
    cmp -s "$work/shipped.ini" "$game_dir/cropstack.ini" || fail "the installed settings changed"
    note "the new binding was kept in the player's configuration directory"
fi
echo "PASS"
exit 0
