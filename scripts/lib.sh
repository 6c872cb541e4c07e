# Sourced (bash) by the scripts: what several of them need, written once.
#
#   . "$(dirname "$0")/lib.sh"
#
# vexmoor_root          the tree's top folder
# build_tree DIR [cmake options...] [-- targets...]
#                       configures DIR from the tree if it is not yet, with
#                       the options given, and builds the targets (all if none)
# start_xvfb WxH [FIRST] starts a private X server of that size on the first
#                       free display from FIRST (default 90) and waits until it
#                       answers; sets xvfb_pid and xvfb_display
# stop_xvfb             ends it again
# cpu_ticks PID         the process's user and system clock ticks so far
# all_creatures_ini     prints settings ([Vexmoor] section) with every creature on,
#                       the keys read from build/release's vexmoor_creature_keys
# mutation_apply FILE FROM TO [OUT]
#                       writes OUT (default FILE.mutant) with the one occurrence of FROM
#                       replaced (\n in FROM and TO stands for a line break);
#                       prints how many occurrences there were
# mutation_read LIST CALLBACK
#                       calls CALLBACK name file from to tests for each block of
#                       a mutation list (blocks separated by blank lines)

vexmoor_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Every build of a script compiles through ccache when it is there, with
# paths taken relative to the tree, so that a second build of the same
# sources (the package, a scratch copy) reuses the first one's objects.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$vexmoor_root}
  export CCACHE_DIR=${CCACHE_DIR:-$vexmoor_root/build/ccache}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

build_tree() {
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ "${1:-}" = -- ] && shift
  targets=("$@")
  if [ ! -f "$dir/CMakeCache.txt" ] || [ ${#options[@]} -gt 0 ]; then
    cmake -S "$vexmoor_root" -B "$dir" "${options[@]}" >/dev/null
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
  else
    cmake --build "$dir" -j"$(nproc)"
  fi
}

start_xvfb() {
  local size=$1 n=${2:-90} last
  last=$((n + 29))
  while [ "$n" -le "$last" ]; do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    n=$((n + 1))
  done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  xvfb_display=":$n"
  local _
  for _ in $(seq 100); do DISPLAY=$xvfb_display xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "lib.sh: the X server on $xvfb_display did not answer" >&2
  return 1
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

all_creatures_ini() {
  local keys k
  # The keys come from the creature table itself, never from a copy here.
  keys=$("$vexmoor_root/build/release/bench/vexmoor_creature_keys") || {
    echo "lib.sh: build vexmoor_creature_keys first (build/release)" >&2
    return 1
  }
  echo "[Vexmoor]"; echo "firstrun=1"; echo "speed=70"
  for k in $keys; do echo "$k=1"; done
}

mutation_apply() {
  FROM=$2 TO=$3 OUT="${4:-$1.mutant}" awk '
    BEGIN {
      RS = "\001"; from = ENVIRON["FROM"]; to = ENVIRON["TO"]; out = ENVIRON["OUT"]
      gsub(/\\n/, "\n", from); gsub(/\\n/, "\n", to)
    }
    {
      text = $0; n = 0; rest = text
      while ((i = index(rest, from)) > 0) { n++; rest = substr(rest, i + length(from)) }
      if (n == 1) {
        i = index(text, from)
        printf "%s", substr(text, 1, i - 1) to substr(text, i + length(from)) > out
      }
      print n
    }' "$1"
}

mutation_read() {
  local list=$1 callback=$2 line name="" file="" from="" to="" tests="" have=0
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
      \#*) continue ;;
      "") [ $have -eq 1 ] && "$callback" "$name" "$file" "$from" "$to" "$tests"
          name="" file="" from="" to="" tests="" have=0; continue ;;
      name:*) name=${line#name:}; name=${name#"${name%%[! ]*}"} ;;
      file:*) file=${line#file:}; file=${file#"${file%%[! ]*}"} ;;
      from:*) from=${line#from:}; from=${from#"${from%%[! ]*}"} ;;
      to:*) to=${line#to:}; to=${to#"${to%%[! ]*}"} ;;
      tests:*) tests=${line#tests:} ;;
      *) echo "mutation list $list: cannot read: $line" >&2; return 2 ;;
    esac
    have=1
  done <"$list"
  if [ $have -eq 1 ]; then "$callback" "$name" "$file" "$from" "$to" "$tests"; fi
  return 0
}
