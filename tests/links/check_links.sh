#!/bin/sh
# check_links.sh: the programs that never draw load no window, GL or movie
# library: ldd shows no SDL, GL, EGL or FFmpeg in them.
#
#   check_links.sh PROGRAM...
set -u
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM..." >&2; exit 2; }
command -v ldd >/dev/null 2>&1 || { echo "SKIP: ldd is not installed"; exit 77; }
status=0
for program in "$@"; do
    libs=$(ldd "$program") || { echo "FAIL: ldd $program"; status=1; continue; }
    drawing=$(echo "$libs" | grep -E 'libSDL|libGL|libOpenGL|libEGL|libav|libsw' | awk '{print $1}')
    if [ -n "$drawing" ]; then
        echo "FAIL: $(basename "$program") loads" $drawing
        status=1
    else
        echo "ok: $(basename "$program")"
    fi
done
exit $status
