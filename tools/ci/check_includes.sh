#!/usr/bin/env bash
# check_includes.sh: no folder includes another folder's private headers.
#
# A folder's own headers are private to it; other folders include only the
# contract headers listed below. A test folder tests/<name> may also include
# the private headers of the folder <name> it tests, and nothing but
# platform/ and the tests includes SDL. Exceptions are listed with the
# reason each is allowed. Run from anywhere; exits 1 and names every
# offending line.
set -euo pipefail
cd "$(dirname "$0")/../.."

# The headers other folders may include.
contracts=(
  runtime/runtime.h
  platform/platform.h platform/plat_files.h platform/plat_video.h
  platform/plat_events.h platform/plat_movie.h
  pathfinding/pathfinding.h
  input/input.h input/scancodes.h
  audio/audio.h
  graphics/graphics.h
  scene3d/scene3d.h
  game/rules/board.h
  game/solver/solver.h
  game/screens/screens.h
)

# "<including folder> <included header>": allowed although private.
exceptions=(
  "pathfinding runtime/rtarray.h"        # the search keeps its lists in the runtime's arrays
  "scene3d runtime/rtini.h"              # model lists are read with the settings reader
  "game/rules runtime/rtini.h"           # the level information is read with the settings reader
  "graphics audio/movie_screen.h"        # movies draw through the screen seam audio defines
  "scene3d graphics/gl_ext.h"            # the 3D renderer shares the GL entry points
  "tests/scene3d graphics/gl_ext.h"
  "tools/assetgen graphics/builtin_font.h" # the font picture is drawn from the same glyphs
  "tests/data audio/sound_local.h"       # the shipped sounds are decoded as the game does
  "tests/data scene3d/mesh_object.h"     # the shipped models are checked record by record
  "tests/runtime runtime/*"              # the runtime's tests reach each unit
  "tests/whole runtime/rtini.h"          # the runs read the settings file as the game does
  "tests/tools game/solver/fast_moves.h" # the solver's own move generator is held against the rules
  "tests/whole support/exit_guard.h"     # the whole-program runs have a test entry of their own
  "tests/input support/virtual_pad.h"    # pads plugged in through SDL's virtual game controllers
  "tests/game support/virtual_pad.h"
  "tests/whole support/virtual_pad.h"
  "fuzz *"                               # the fuzz programs drive each parser directly
  "bench/solver tools/solver_picture.h"  # rooms drawn with the solver tests' pictures
  "bench/pathfinding pathfinding/reference_search.h"
)

is_contract() {
  local h
  for h in "${contracts[@]}"; do [[ "$1" == "$h" ]] && return 0; done
  return 1
}

is_exception() {
  local e
  for e in "${exceptions[@]}"; do
    # shellcheck disable=SC2053 # the exception's header may be a pattern
    [[ "$1" == "${e%% *}" && "$2" == ${e#* } ]] && return 0
  done
  return 1
}

# The folder a header lives in, as the build's include path finds it: the
# source root first, then tests/.
header_folder() {
  if [[ -f "$1" ]]; then dirname "$1"; elif [[ -f "tests/$1" ]]; then dirname "tests/$1"; fi
}

status=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  while IFS=: read -r line header; do
    header=${header#*\"}
    header=${header%\"*}
    [[ "$header" == */* ]] || continue # same folder
    owner=$(header_folder "$header")
    [[ -z "$owner" || "$owner" == "$folder" ]] && continue
    is_contract "$header" && continue
    [[ "$folder" == "tests/${owner}" || "$folder" == tests/"${owner%%/*}" ]] && continue
    is_exception "$folder" "$header" && continue
    echo "$file:$line: includes $header, private to $owner/"
    status=1
  done < <(grep -n -E '^#include "' "$file" || true)
  if [[ "$folder" != platform && "$folder" != tests/* ]] &&
     grep -n -E '^#include <SDL' "$file" >/dev/null; then
    echo "$file: includes SDL above the platform layer"
    status=1
  fi
done < <(git ls-files '*.cpp' '*.h' '*.c')
exit $status
