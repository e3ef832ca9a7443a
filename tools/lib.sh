# shellcheck shell=bash
# Sourced by the scripts of tools/ and by .ci/run: how a run stops, which
# build runs here, and what tools/debian13 and tools/guest32 keep between runs.
# Started in the background by a script, bash ignores SIGINT and cannot trap
# it: tools/test, debian13 and .ci/run (SELF) start afresh with SIGINT at its default.
if [ -n "${SELF:-}" ] && (($(sed -n 's/^SigIgn:\t*/0x/p' "/proc/$$/status") & 2)); then
  exec perl -e '$SIG{INT} = "DEFAULT"; exec @ARGV or die "$ARGV[0]: $!\n"' bash "$SELF" "$@"
fi
ME="${ME:-${0##*/}}"
say() { echo "$ME: $*"; }
die() { say "$*" >&2; exit 1; }

# step [--log FILE] COMMAND...: runs COMMAND (a function too) in a process
# group of its own, in the background so that a signal reaches this shell at
# once, and returns its status. A Ctrl-C or TERM meanwhile, or a step that
# died of one, stops the whole run: the step's group is ended, the caller's
# on_exit runs, the run says "interrupted" and dies of that same signal, so
# that whoever started it stops too. --log FILE takes the step's output.
STEP="" STEP_SIG=TERM
step() {
  local rc=0
  set -m
  if [ "$1" = --log ]; then "${@:3}" </dev/null >"$2" 2>&1 & else "$@" </dev/null & fi
  STEP=$!
  set +m
  wait "$STEP" || rc=$?
  STEP=""
  case $rc in 130) stop INT ;; 143) stop TERM ;; esac
  return $rc
}
stop() {
  trap '' INT TERM
  [ -z "$STEP" ] || { kill -"$STEP_SIG" -- "-$STEP" 2>/dev/null; wait "$STEP" 2>/dev/null; } || true
  trap - EXIT
  ! declare -F on_exit >/dev/null || on_exit || true
  say "interrupted" >&2
  trap - "$1"
  kill -s "$1" $$
}
trap 'stop INT' INT
trap 'stop TERM' TERM

# run_build: the build to run here, win32 or win64: the 32-bit product where
# this machine runs 32-bit code (tools/probe32), else the 64-bit build (the
# reason on stderr).
run_build() {
  local where="" why=""
  read -r where why < <("$(dirname "${BASH_SOURCE[0]}")/probe32") || true
  [ "$where" = native ] && echo win32 && return
  say "the 64-bit build: this machine cannot run the 32-bit product here (${why:-$where})" >&2
  echo win64
}

# Kept things (a Debian root, a guest's Wine prefix) live outside any work
# tree, in $QUILLON_CACHE (default /var/cache/quillon), so that fresh clones
# and CI reuse them. Each is a folder with a stamp beside it (FOLDER.stamp)
# that says what made it. The stamp is written last, once the folder is
# whole: a folder without its stamp was interrupted (Ctrl-C, a time limit, a
# full disk) and is never trusted. Throw them all away with:
# rm -rf /var/cache/quillon
KEPT_CACHE="${QUILLON_CACHE:-/var/cache/quillon}"

# kept_folder NAME TREE: $KEPT_CACHE/NAME, made, as an absolute path; never
# inside the work tree TREE.
kept_folder() {
  local dir="$KEPT_CACHE/$1"
  mkdir -p "$dir" || return 1
  dir="$(cd "$dir" && pwd -P)"
  case "$dir/" in "$(cd "$2" && pwd -P)"/*)
    say "the cache $dir must lie outside the work tree (QUILLON_CACHE)" >&2
    return 1 ;;
  esac
  echo "$dir"
}

# kept_why DIR STAMP [MAX_DAYS]: why the kept DIR cannot be used, or nothing.
# STAMP is the text that its making would write now.
kept_why() {
  local dir="$1" stamp="$2" days="${3:-}"
  [ -d "$dir" ] || { echo "none yet"; return; }
  [ -f "$dir.stamp" ] || { echo "its making did not finish (interrupted, or the disk was full)"; return; }
  if [ "$(cat "$dir.stamp")" != "$stamp" ]; then
    echo "made by $(grep -vxF -f <(echo "$stamp") "$dir.stamp" | paste -sd';'), now $(grep -vxF -f "$dir.stamp" <(echo "$stamp") | paste -sd';')"
    return
  fi
  [ -z "$days" ] || [ -n "$(find "$dir.stamp" -mtime -"$days")" ] || echo "older than $days days"
}

# kept_replace NEW DIR STAMP: NEW becomes the kept DIR, made by STAMP.
kept_replace() {
  rm -rf --one-file-system "$2" "$2.stamp" &&
    mv "$1" "$2" &&
    echo "$3" >"$2.stamp.new" && mv "$2.stamp.new" "$2.stamp"
}

# kept_room DIR MB: fails, saying so, when DIR's disk has less than MB free.
kept_room() {
  local free
  free="$(df -Pm "$1" | awk 'NR == 2 { print $4 }')"
  [ "${free:-0}" -ge "$2" ] && return 0
  say "only $free MB free in $1 (the kept copy needs $2 MB): it is not kept" >&2
  return 1
}

# contained [--log FILE] COMMAND...: step COMMAND in PID and mount
# namespaces of its own: when the step is ended, the kernel ends the rest of
# its processes and drops their mounts.
KEPT_NS=(unshare --pid --fork --kill-child --mount --propagation private)
contained() {  # unshare ignores TERM while it waits: it is ended with KILL
  local rc=0
  STEP_SIG=KILL
  if [ "$1" = --log ]; then step --log "$2" "${KEPT_NS[@]}" "${@:3}" || rc=$?; else step "${KEPT_NS[@]}" "$@" || rc=$?; fi
  STEP_SIG=TERM && return $rc
}
contained_works() { "${KEPT_NS[@]}" true; }
