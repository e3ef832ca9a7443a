# shellcheck shell=bash
# Sourced by the bash scripts of tools/ (not probe32) and by .ci/run, before any cd: how a run
# stops, locks, kept folders, where 32-bit code runs, building a preset.
# Started in the background by a script, bash ignores SIGINT and cannot trap
# it: every script starts afresh with SIGINT at its default (but tools/wine,
# CTest's emulator, whose bash start costs under emulation).
if [ -z "${QUILLON_REEXEC:-}${KEEP_CWD:-}" ]; then QUILLON_REEXEC=1 exec env --default-signal=INT bash "$0" "$@"; fi
unset QUILLON_REEXEC
set -euo pipefail
TREE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ -n "${KEEP_CWD:-}" ] || cd "$TREE"
case "$0" in *.ci/run) ME=ci ;; *) ME="${0##*/}" ME="${ME%-inside}" ;; esac
say() { echo "$ME: $*"; }
exec {STDERR}>&2  # "interrupted" goes there, whatever a step's output was sent to
die() { say "$*" >&2; exit 1; }

# step [--tty] COMMAND...: runs COMMAND in a session of its own (with --tty
# in ours, for sudo's password prompt) and waits for it, so that a signal
# reaches this shell at once. A Ctrl-C or TERM meanwhile, or a step that died
# of one, stops the run: the step is ended, what `temp` named is removed,
# on_exit runs, and the run dies of that same signal.
STEP="" STEP_SIG=TERM STEP_GROUP=""
step() {
  local rc=0
  if [ "$1" = --tty ]; then shift; "$@" </dev/null {STDERR}>&- & STEP_GROUP=""
  else setsid "$@" </dev/null {STDERR}>&- & STEP_GROUP=-; fi
  STEP=$!
  wait "$STEP" || rc=$?
  STEP=""
  case $rc in 130) stop INT ;; 143) stop TERM ;; esac
  return $rc
}
TEMPS=()
temp() { TEMPS+=("$@"); }
finish() {
  ! declare -F on_exit >/dev/null || on_exit || true
  [ ${#TEMPS[@]} -eq 0 ] || rm -rf --one-file-system "${TEMPS[@]}" || true
}
stop() {
  trap '' INT TERM
  [ -z "$STEP" ] || { kill -"$STEP_SIG" -- "$STEP_GROUP$STEP" 2>/dev/null; wait "$STEP" 2>/dev/null; } || true
  trap - EXIT
  finish
  say "interrupted" >&"$STDERR"
  trap - "$1"
  kill -s "$1" $$
}
trap 'stop INT' INT
trap 'stop TERM' TERM
trap finish EXIT

# timed NAME COMMAND...: runs COMMAND (a function too: it uses step for its
# long parts), prints and notes its time and whether it failed; `report`
# lists them all at the end and fails when one failed.
TIMES=() FAILED=0
timed() {
  local name=$1 start=$SECONDS rc=0
  shift
  "$@" || rc=$?
  [ $rc -eq 0 ] || FAILED=1
  TIMES+=("$name: $((SECONDS - start)) s$([ $rc -eq 0 ] || echo ", FAILED")")
  say "$name: $((SECONDS - start)) s$([ $rc -eq 0 ] || echo ", FAILED")"
}
report() {
  echo
  say "times"
  printf '  %s\n' "${TIMES[@]}" "whole: $SECONDS s"
  return $FAILED
}

# lock FILE WHAT [SECONDS]: takes FILE's lock for the rest of this shell (or
# until `exec {LOCK}>&-`), saying what it waits for, for at most SECONDS.
lock() {
  exec {LOCK}>>"$1"
  if ! flock -n "$LOCK"; then
    say "waiting for $2 (held by $(head -c 200 "$1")), at most ${3:-1800} s"
    step flock -w "${3:-1800}" "$LOCK" || die "gave up waiting for $2 after ${3:-1800} s"
  fi
  echo "$ME, process $$ on $(uname -n), since $(date +%T)" >"$1"
}

# Kept things (a Debian root, the guest's Wine prefixes and initramfs) live
# in $QUILLON_CACHE, outside any work tree, so that every clone reuses them.
KEPT_CACHE="${QUILLON_CACHE:-/var/cache/quillon}"
# kept PATH RECIPE MAKE...: PATH, made by `MAKE... PATH.new` unless
# PATH.stamp holds RECIPE (a hash of what makes it). The stamp is written
# last: a PATH without it is unfinished and made afresh.
kept() {
  local path=$1 recipe=$2
  shift 2
  [ -e "$path" ] && [ "$(cat "$path.stamp" 2>/dev/null)" = "$recipe" ] && return 0
  mkdir -p "$(dirname "$path")"
  lock "$path.lock" "the making of $path" 3600
  if ! { [ -e "$path" ] && [ "$(cat "$path.stamp" 2>/dev/null)" = "$recipe" ]; }; then
    say "making $path ($([ -f "$path.stamp" ] && echo "its recipe changed" || echo "none finished yet"))"
    rm -rf --one-file-system "$path.new" "$path.stamp"
    temp "$path.new"
    "$@" "$path.new" || { rm -rf --one-file-system "$path.new"; exec {LOCK}>&-; return 1; }
    { rm -rf --one-file-system "$path" && mv "$path.new" "$path" && echo "$recipe" >"$path.stamp"; } ||
      die "could not put the new $path in place"
  fi
  exec {LOCK}>&-
}
recipe() { sha256sum | cut -c1-16; }

# where32 [COMMAND...]: WHERE (native, guest or none) and WHY, as
# tools/probe32 answers (or COMMAND, that runs it elsewhere).
where32() {
  [ $# -gt 0 ] || set -- "$TREE/tools/probe32"
  WHERE="" WHY=""
  read -r WHERE WHY < <("$@") || true
}
# run_build: the build to run here, win32 where 32-bit code runs, else win64.
run_build() {
  where32
  [ "$WHERE" = native ] && echo win32 && return
  say "the 64-bit build: this machine cannot run the 32-bit product here (${WHY:-$WHERE})" >&2
  echo win64
}
# build PRESET [TARGET...]: configures and builds it; one build per folder.
# The Windows presets compile through ccache, kept with the other kept things
# (or in ccache's own folder where that is not writable), paths taken from
# the tree, so that a fresh clone compiles only what changed; a folder
# configured before keeps its compiler. tools/release compiles afresh.
build() {  # the folder's lock goes with the build, whether it failed or not
  local targets=() rc=0 cc=(env)
  [ $# -lt 2 ] || targets=(--target "${@:2}")
  case $1 in win32 | win64)
    cc+=(CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$TREE")
    if mkdir -p "$KEPT_CACHE/ccache" 2>/dev/null && [ -w "$KEPT_CACHE/ccache" ]; then cc+=(CCACHE_DIR="$KEPT_CACHE/ccache"); fi
    ;;
  esac
  mkdir -p build
  lock "build/.$1.lock" "another build of build/$1"
  step "${cc[@]}" cmake --preset "$1" >/dev/null && step "${cc[@]}" cmake --build --preset "$1" "${targets[@]}" || rc=$?
  exec {LOCK}>&-
  return $rc
}

# contained COMMAND...: step COMMAND in PID and mount namespaces of its own:
# ended, the kernel ends the rest of its processes and drops its mounts.
contained() {  # unshare ignores TERM while it waits: it is ended with KILL
  local rc=0
  STEP_SIG=KILL
  step unshare --pid --fork --kill-child --mount --propagation private "$@" || rc=$?
  STEP_SIG=TERM && return $rc
}
# mount_system ROOT: what a system root needs to run Wine and Xvfb in a
# chroot, mounted in this mount namespace (the guest's, tools/debian13's).
# A /tmp already mounted is kept: the guest's holds the tree of a clone there.
mount_system() {
  mount -t proc proc "$1/proc" && mount -t sysfs sys "$1/sys" && mount -t devtmpfs dev "$1/dev" &&
    mkdir -p "$1/dev/pts" "$1/dev/shm" && mount -t devpts -o newinstance,ptmxmode=666 devpts "$1/dev/pts" &&
    mount -t tmpfs tmpfs "$1/dev/shm" && { mountpoint -q "$1/tmp" || mount -t tmpfs -o mode=1777 tmpfs "$1/tmp"; }
}
