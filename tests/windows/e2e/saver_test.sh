#!/usr/bin/env bash
# The Windows saver end to end under Wine, on a private Xvfb (1024x768x24):
#   saver_test.sh <case> <vexmoor.scr> [<preview_host.exe>] [<Linux vexmoor>]
# cases:
#   scene            /s draws the whole screen, with the colours of the Linux saver's screen
#   key-ends         a key ends /s within the limit, with status 0
#   second-instance  a second /s beside a running one ends at once; the first runs on
#   preview-destroy  /p makes a child of the host's client size; it ends when the host window goes
#   preview-kill     ... and when the host process goes
#   close            WM_CLOSE to the saver's window ends it with status 0
#   endsession       so does the session ending (WM_QUERYENDSESSION, WM_ENDSESSION)
#   interrupt        so does Ctrl+C (SIGINT to Wine's process of the saver)
#   garbage-settings a settings file of random bytes: the scene of the defaults
#   appdata-settings the Windows directory's file cannot be written: the user's
#                    %APPDATA% file is the one read
#   damaged-media    a copied .scr whose media beside it are damaged runs and ends
# Exit 77 (ctest's skip) when Wine or Xvfb is missing.
set -uo pipefail
case_name=$1 scr=$2 host=${3:-} linux_bin=${4:-}
# The tool that asks the saver to end as Windows does, beside the host.
end_request=$(dirname "$host")/end_request.exe
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
limit=${VEXMOOR_E2E_LIMIT:-30}      # waiting for a state: generous, the machine is shared
end_limit=${VEXMOOR_E2E_END_LIMIT:-5}  # an ending the user waits for
for tool in wine Xvfb xdotool import convert; do
  command -v $tool >/dev/null 2>&1 || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
[ -f "$scr" ] || { echo "FAIL: no saver at $scr"; exit 1; }

work=$(mktemp -d)
# shellcheck source=helpers.sh
. "$here/helpers.sh"

start_x
# Wine's own session on this display, with a prefix of the tests' own, so
# the unit tests' server (no display) is never asked to draw.
export VEXMOOR_WINE_DIR="$root/build/windows/wine-e2e" WINE_ENV_PERSIST=5
# shellcheck source=../../../scripts/wine-env
. "$root/scripts/wine-env"
[ -f "$WINEPREFIX/.vexmoor-ready" ] || fail "no Wine prefix"
# Default settings on both sides: no settings file anywhere.
windir="$WINEPREFIX/drive_c/windows"
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming"
rm -rf "$windir/zelvora.ini" "$windir/Zelvora" "$appdata/Zelvora"

# Counts the pixels of the last screenshot brighter than mid-grey in the
# rectangle WxH+X+Y.
bright_in() {
  convert "$work/shot.png" -crop "$1" +repage -colorspace gray -threshold 25% -format '%[fx:int(mean*w*h)]' info: 2>/dev/null || echo 0
}
start_saver() {
  wine "$scr" /s </dev/null >"$work/saver$1.log" 2>&1 &
  saver_pid=$!
  pids+=($saver_pid)
}

case $case_name in
  scene)
    start_saver 1
    wait_drawn
    convert "$work/shot.png" -scale '8x6!' -depth 8 txt:- | sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p' >"$work/win.cells"
    cp "$work/shot.png" "$root/build/windows/e2e-scene-wine.png" 2>/dev/null
    if [ -z "$linux_bin" ] || [ ! -x "$linux_bin" ]; then
      echo "no Linux saver to compare with: only the drawn screen was checked"; exit 0
    fi
    # The Linux saver with the same (default) settings on a display of its own.
    wineserver -k </dev/null >/dev/null 2>&1
    kill "${pids[0]}" 2>/dev/null
    start_x
    mkdir -p "$work/cfg"
    XDG_CONFIG_HOME="$work/cfg" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy "$linux_bin" /s >/dev/null 2>&1 &
    pids+=($!)
    wait_drawn
    convert "$work/shot.png" -scale '8x6!' -depth 8 txt:- | sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p' >"$work/linux.cells"
    # The creatures move and the clock runs, but the 48 cells' mean colours
    # are the scenery's: most cells within 40 levels on every channel.
    close=$(paste -d' ' "$work/win.cells" "$work/linux.cells" | awk '
      { d = 0; for (i = 1; i <= 3; i++) { x = $i - $(i + 3); if (x < 0) x = -x; if (x > d) d = x }
        if (d <= 40) n++ } END { print n + 0 }')
    [ "$close" -ge 40 ] || fail "only $close of 48 screen cells have the Linux saver's colours"
    echo "scene: drawn, $close of 48 cells match the Linux saver's colours" ;;
  key-ends)
    start_saver 1
    wait_drawn
    xdotool key space
    wait_end "$saver_pid" "$end_limit" || fail "the saver still runs ${end_limit} s after a key"
    [ "$ended_status" -eq 0 ] || fail "the saver ended with status $ended_status"
    echo "key-ends: ended with status 0" ;;
  second-instance)
    start_saver 1
    first=$saver_pid
    wait_drawn
    start_saver 2
    wait_end "$saver_pid" "$end_limit" || fail "a second /s still runs after ${end_limit} s"
    kill -0 "$first" 2>/dev/null || fail "the first saver ended too"
    echo "second-instance: the second ended (status $ended_status), the first runs on" ;;
  preview-destroy|preview-kill)
    [ -f "$host" ] || fail "no preview host"
    mkfifo "$work/in"
    wine "$host" 152x112 "$scr" <"$work/in" >"$work/host.log" 2>&1 &
    host_pid=$!
    pids+=($host_pid)
    exec 3>"$work/in"
    got_child=""
    for i in $(seq $((limit * 2))); do
      echo children >&3
      sleep 0.5
      tr -d '\r' <"$work/host.log" | grep -q '^child [0-9]* 152x112$' && { got_child=1; break; }
    done
    [ -n "$got_child" ] || fail "no child window of 152x112 in the host: $(tr -d '\r' <"$work/host.log" | tail -5)"
    if [ "$case_name" = preview-destroy ]; then
      echo destroy >&3
      for i in $(seq $((end_limit * 10))); do
        tr -d '\r' <"$work/host.log" | grep -q '^ended ' && break; sleep 0.1
      done
      tr -d '\r' <"$work/host.log" | grep -q '^ended 0$' || fail "the preview did not end with 0 within ${end_limit} s of the host window going: $(tr -d '\r' <"$work/host.log" | tail -3)"
    else
      echo exit >&3
      wait_end "$host_pid" "$end_limit"
      # The preview is no longer the host's child: look for its process.
      for i in $(seq $((end_limit * 10))); do
        pgrep -f "$(basename "$scr") /p" >/dev/null || break; sleep 0.1
      done
      pgrep -af "$(basename "$scr") /p" && fail "the preview still runs ${end_limit} s after its host ended"
    fi
    echo "$case_name: the preview ended with its host" ;;
  close|endsession)
    [ -f "$end_request" ] || fail "no end_request tool beside the host"
    start_saver 1
    wait_drawn
    wine "$end_request" "$case_name" </dev/null >"$work/request.log" 2>&1 || fail "end_request: $(tr -d '\r' <"$work/request.log")"
    if [ "$case_name" = endsession ]; then
      # The session may end: nothing of ours to save.
      tr -d '\r' <"$work/request.log" | grep -q '^queryendsession [0-9]* 1$' ||
        fail "WM_QUERYENDSESSION was not answered TRUE: $(tr -d '\r' <"$work/request.log")"
    fi
    ends_with_zero "$case_name" "$saver_pid"
    echo "$case_name: ended with status 0" ;;
  interrupt)
    start_saver 1
    wait_drawn
    # The saver's own Unix process (Wine's loader runs it under its name).
    unix_pid=$(pgrep -f "$(basename "$scr") /s" | head -1)
    [ -n "$unix_pid" ] || fail "no process of the saver"
    kill -INT "$unix_pid"
    ends_with_zero "Ctrl+C" "$saver_pid"
    echo "interrupt: ended with status 0" ;;
  garbage-settings)
    head -c 6000 /dev/urandom >"$windir/zelvora.ini"
    printf '\n[Vexmoor]\nspeed=\xff\xfe\nclock=2\x00\n' >>"$windir/zelvora.ini"
    start_saver 1
    wait_drawn
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended on garbage settings"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    echo "garbage-settings: the scene was drawn and a key ended it with 0" ;;
  appdata-settings)
    # Something that is not a file where the Windows directory's settings
    # would be: no one can write them there.
    mkdir -p "$windir/zelvora.ini" "$appdata/Zelvora"
    printf '[Vexmoor]\r\nfirstrun=1\r\nspeed=0\r\nclock=1\r\nmessagetext=Read from APPDATA\r\n' >"$appdata/Zelvora/zelvora.ini"
    start_saver 1
    # The user's file says speed 0: the clock and the message stand at the
    # top of a black screen (the defaults would draw the scene).
    shown=""
    for i in $(seq $((limit * 2))); do
      import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null
      if [ "$(bright_in 400x20+0+4)" -gt 20 ] && [ "$(bright_in 200x300+400+300)" -eq 0 ]; then shown=1; break; fi
      sleep 0.5
    done
    [ -n "$shown" ] || fail "the %APPDATA% settings were not the ones used (message $(bright_in 400x20+0+4) px, middle $(bright_in 200x300+400+300) px)"
    [ -d "$windir/zelvora.ini" ] || fail "the Windows directory's settings path was replaced"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    echo "appdata-settings: the user's file was read, a key ended the saver with 0" ;;
  damaged-media)
    # A copy of the saver with its media beside it, none in the Windows
    # directory: every picture cut in half, one empty, one a folder; every
    # song and sound random bytes.
    mkdir -p "$work/copy"
    cp "$scr" "$work/copy/"
    cp -a "$(dirname "$scr")/Zelvora" "$work/copy/"
    media="$work/copy/Zelvora/Vexmoor"
    for f in "$media"/*.bmp; do truncate -s $(($(stat -c %s "$f") / 2)) "$f"; done
    : >"$media/v_bat.bmp"
    rm -f "$media/v_owl.bmp"; mkdir "$media/v_owl.bmp"
    for f in "$media"/*.Mid "$media"/*.wav; do head -c "$(stat -c %s "$f")" /dev/urandom >"$f"; done
    wine "$work/copy/$(basename "$scr")" /s </dev/null >"$work/saver1.log" 2>&1 &
    saver_pid=$!
    pids+=($saver_pid)
    up=""
    for i in $(seq $((limit * 2))); do
      xdotool search --onlyvisible --class vexmoor.scr >/dev/null 2>&1 && { up=1; break; }
      xdotool search --onlyvisible --name '^Vexmoor$' >/dev/null 2>&1 && { up=1; break; }
      kill -0 "$saver_pid" 2>/dev/null || break
      sleep 0.5
    done
    [ -n "$up" ] || fail "no saver window on damaged media: $(tr -d '\r' <"$work/saver1.log" | tail -3)"
    xdotool search --name '^Error Code' >/dev/null 2>&1 && fail "an error window on damaged media"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    echo "damaged-media: the saver ran and a key ended it with 0" ;;
  *) fail "unknown case $case_name" ;;
esac
