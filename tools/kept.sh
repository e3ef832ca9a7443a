# Sourced by tools/debian13 and tools/guest32: what they keep between runs
# (a Debian root, a guest's Wine prefix) and how they run what they start.
#
# Kept things live outside any work tree, in $QUILLON_CACHE
# (default /var/cache/quillon), so that fresh clones and CI reuse them.
# Each is a folder with a stamp beside it (FOLDER.stamp) that says what made
# it. The stamp is written last, once the folder is whole: a folder without
# its stamp was interrupted (Ctrl-C, a time limit, a full disk) and is never
# trusted. Throw them all away with: rm -rf /var/cache/quillon
# The caller defines say().

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

# contained [--log FILE] COMMAND...: runs COMMAND in PID and mount
# namespaces of its own, in the background, so that a signal reaches the
# caller at once; kept_stop kills the namespace's first process, and the
# kernel ends the rest and drops their mounts. Output goes to FILE with --log
# (given here: the caller's own messages would follow it there otherwise).
KEPT_INNER=""
KEPT_NS=(unshare --pid --fork --kill-child --mount --propagation private)
contained() {
  local rc=0
  if [ "$1" = --log ]; then
    "${KEPT_NS[@]}" "${@:3}" </dev/null >"$2" 2>&1 &
  else
    "${KEPT_NS[@]}" "$@" </dev/null &
  fi
  KEPT_INNER=$!
  wait "$KEPT_INNER" || rc=$?
  KEPT_INNER=""
  return $rc
}
kept_stop() {
  [ -z "$KEPT_INNER" ] && return 0
  kill -KILL "$KEPT_INNER" 2>/dev/null || true
  wait "$KEPT_INNER" 2>/dev/null || true
}
contained_works() { "${KEPT_NS[@]}" true; }
