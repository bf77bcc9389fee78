#!/bin/sh
# deb_check.sh: the Debian package as a player gets it. Builds the .deb from
# the build directory's install rules (cpack), checks that it declares the
# libraries the game needs, unpacks it into a scratch root with dpkg -x and
# runs the unpacked game in a virtual X server to its title screen, through
# play and out again (xvfb_check.sh --unpacked).
#
#   deb_check.sh BUILD_DIR [OUT_DIR]
#
# Exits 77 (skipped) when cpack, dpkg-deb or dpkg-shlibdeps is missing.
set -u

[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [OUT_DIR]" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
out=${2:-$(pwd)/package-check}
here=$(cd "$(dirname "$0")" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/cropstack-deb.XXXXXX") || exit 2
# The unpacked game runs as an ordinary user, who must reach it.
chmod 755 "$work"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP PIPE

fail() {
    echo "FAIL: $*"
    exit 1
}

timeout 240 cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
set -- "$work"/pkg/cropstack_*.deb
[ $# = 1 ] && [ -f "$1" ] || fail "cpack made no single cropstack_*.deb"
deb=$1
echo "ok: built $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = cropstack ] || fail "the package is not named cropstack"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 libavcodec libavformat libavutil \
    libswscale libswresample libgl1 libegl1 libgl1-mesa-dri; do
    case ", $depends" in
    *", $lib"*) ;;
    *) fail "Depends does not name $lib: $depends" ;;
    esac
done
echo "ok: depends on $depends"

dpkg -x "$deb" "$work/root" || fail "dpkg -x"
root=$work/root
for f in usr/bin/cropstack usr/lib/cropstack/cropstack usr/lib/cropstack/cropstack.ini \
    usr/lib/cropstack/levlib/QLEV1.CMD usr/share/applications/cropstack.desktop \
    usr/share/icons/hicolor/256x256/apps/cropstack.png; do
    [ -f "$root/$f" ] || fail "the package holds no /$f"
done
grep -qx 'Exec=/usr/bin/cropstack' "$root/usr/share/applications/cropstack.desktop" ||
    fail "the desktop entry does not start /usr/bin/cropstack"
echo "ok: unpacked into a scratch root"

sh "$here/../blackbox/xvfb_check.sh" --unpacked "$root/usr" "$out"
