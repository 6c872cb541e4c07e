# shellcheck shell=bash
# Sourced (bash) by the end-to-end tests under Wine: a private Xvfb, the
# screen looked at, processes waited for. The test sets before sourcing:
#   work       a temporary directory of its own (removed at the end)
#   limit      seconds to wait for a state (generous: the machine is shared)
#   end_limit  seconds an ending may take that the user waits for
# and gets fail, start_x, drawn_percent, wait_drawn, wait_end, ends_with_zero;
# every process put in pids is killed at the end, and the Wine prefix's
# server with it.

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${WINEPREFIX:-}" ] && wineserver -k </dev/null >/dev/null 2>&1
  # A sound device a case put in the prefix's home is that case's own.
  [ -n "${asoundrc:-}" ] && rm -f "$asoundrc"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A private X server (1024x768x24) on a display it picks itself, so tests
# started together never take the same one.
start_x() {
  local numfile n="" i
  numfile=$(mktemp "$work/display.XXXXXX")
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  pids+=("$!")
  for i in $(seq $((limit * 10))); do
    # The number is written with its line end once the server listens.
    [ "$(wc -l <"$numfile")" -ge 1 ] && { n=$(head -1 "$numfile"); break; }
    sleep 0.1
  done
  [ -n "$n" ] || fail "Xvfb did not start"
  export DISPLAY=":$n"
  for i in $(seq $((limit * 10))); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "Xvfb $DISPLAY did not answer"
}

# Share of the screen (percent) that is not pure black; the screenshot stays
# in $work/shot.png.
drawn_percent() {
  import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null || { echo 0; return; }
  convert "$work/shot.png" -fill white +opaque black -colorspace gray -format '%[fx:int(mean*100)]' info: 2>/dev/null || echo 0
}
wait_drawn() {  # until 95% of the screen is drawn
  local i p=0
  for i in $(seq $((limit * 2))); do
    p=$(drawn_percent)
    [ "$p" -ge 95 ] && return 0
    sleep 0.5
  done
  fail "the screen was not drawn (only $p% not black after ${limit} s)"
}
# Waits for a process of ours to end; its status in ended_status.
wait_end() {
  local pid=$1 secs=$2 i
  for i in $(seq $((secs * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; ended_status=$?; return 0; fi
    sleep 0.1
  done
  return 1
}
# Ends a saver that is up by the request named, then wants status 0.
ends_with_zero() {  # <what asked> <pid>
  wait_end "$2" "$end_limit" || fail "the saver still runs ${end_limit} s after $1"
  [ "$ended_status" -eq 0 ] || fail "the saver ended with status $ended_status after $1"
}
