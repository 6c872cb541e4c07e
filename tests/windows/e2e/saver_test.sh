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
#   dialog           /c: each of the five tabs shown (screenshots kept), the previews
#                    move, Cancel leaves the file byte for byte, Apply writes the 48
#                    keys in the order the Linux build's dialog writes them
#   dialog-dpi       at 144 dots per inch the dialog is its 96-dpi layout times 1.5
# Exit 77 (ctest's skip) when Wine or Xvfb is missing.
set -uo pipefail
case_name=$1 scr=$2 host=${3:-} linux_bin=${4:-}
# The tool that asks our windows where they are, or to end as Windows
# asks, beside the host.
ask_window=$(dirname "$host")/ask_window.exe
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
limit=${VEXMOOR_E2E_LIMIT:-30}      # waiting for a state: generous, the machine is shared
end_limit=${VEXMOOR_E2E_END_LIMIT:-5}  # an ending the user waits for
for tool in wine Xvfb xdotool import convert; do
  command -v $tool >/dev/null 2>&1 || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
[ -f "$scr" ] || { echo "FAIL: no saver at $scr"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${WINEPREFIX:-}" ] && wineserver -k </dev/null >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

start_x() {  # a free display among :80-:89
  local n
  for n in $(seq 80 89); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  local i
  for i in $(seq $((limit * 10))); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "Xvfb :$n did not start"
}

# Share of the screen (percent) that is not pure black.
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
# Ends a saver that is up by the request named, then wants status 0.
ends_with_zero() {  # <what asked> <pid>
  wait_end "$2" "$end_limit" || fail "the saver still runs ${end_limit} s after $1"
  [ "$ended_status" -eq 0 ] || fail "the saver ended with status $ended_status after $1"
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
    [ -f "$ask_window" ] || fail "no ask_window tool beside the host"
    start_saver 1
    wait_drawn
    wine "$ask_window" "$case_name" </dev/null >"$work/request.log" 2>&1 || fail "ask_window: $(tr -d '\r' <"$work/request.log")"
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
  dialog)
    [ -f "$ask_window" ] || fail "no ask_window tool beside the host"
    title="Vexmoor ScreenSaver"
    start_dialog() {
      wine "$scr" /c </dev/null >"$work/dialog.log" 2>&1 &
      dialog_pid=$!
      pids+=($dialog_pid)
      # The window is centred after it is made: wait until it stays put.
      local i last=""
      for i in $(seq $((limit * 2))); do
        if wine "$ask_window" where "$title" </dev/null >"$work/where" 2>/dev/null; then
          if [ "$(cat "$work/where")" = "$last" ]; then
            read -r _ cx cy cw ch < <(tr -d '\r' <"$work/where")
            return 0
          fi
          last=$(cat "$work/where")
        fi
        sleep 0.5
      done
      fail "no window \"$title\": $(tr -d '\r' <"$work/dialog.log" | tail -3)"
    }
    # The client area, or a part of it (WxH+X+Y in the client's pixels).
    grab_client() {  # <out.png> [<part>]
      import -display "$DISPLAY" -window root "$work/screen.png" 2>/dev/null
      convert "$work/screen.png" -crop "${cw}x${ch}+${cx}+${cy}" +repage ${2:+-crop "$2" +repage} "$1"
    }
    same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
    keys_of() { tr -d '\r' <"$1" | sed -n 's/^\([a-z0-9]*\)=.*/\1/p'; }

    # The user's own file, with a note of theirs: Cancel leaves it as it is.
    printf '[Vexmoor]\r\nfirstrun=1\r\nspeed= 40\r\n; a note of mine\r\n' >"$windir/zelvora.ini"
    cp "$windir/zelvora.ini" "$work/before.ini"
    start_dialog
    [ "$cw" -gt 400 ] && [ "$ch" -gt 200 ] || fail "the dialog's client area is only ${cw}x${ch}"
    # It opens on "Options"; a click on the first tab's caption (until it
    # is taken: the window may still be coming up), then on with the arrow
    # key the focused tabs take.
    sleep 0.5
    grab_client "$work/tab-1.png"
    for i in 0 1 2 3 4; do
      shot="$root/build/windows/e2e-dialog-tab$i.png"
      [ "$i" -gt 0 ] && xdotool key Right
      shown=""
      for t in $(seq $((limit * 2))); do
        [ "$i" -eq 0 ] && xdotool mousemove $((cx + 30)) $((cy + 10)) click 1
        sleep 0.5
        grab_client "$work/tab$i.png"
        # The page shown differs from the one before it.
        same_picture "$work/tab$i.png" "$work/tab$((i - 1)).png" || { shown=1; break; }
      done
      [ -n "$shown" ] || fail "tab $i did not show"
      cp "$work/tab$i.png" "$shot"
      if [ "$i" -le 1 ]; then
        # The preview box (right of the check boxes) plays: two looks differ.
        moved=""
        grab_client "$work/p0.png" 200x190+296+40
        for t in $(seq $((limit * 2))); do
          sleep 0.3
          grab_client "$work/p1.png" 200x190+296+40
          same_picture "$work/p0.png" "$work/p1.png" || { moved=1; break; }
        done
        [ -n "$moved" ] || fail "the preview on tab $i does not move"
      fi
    done
    # Neither button is the default or the cancel one: Return and Escape do
    # nothing. The key after them is handled after them: once "Options"
    # shows again, they have been taken and the dialog is still there.
    xdotool key Escape Return Left
    back=""
    for t in $(seq $((limit * 2))); do
      sleep 0.5
      grab_client "$work/again.png"
      same_picture "$work/again.png" "$work/tab3.png" && { back=1; break; }
    done
    [ -n "$back" ] || fail "\"Options\" did not come back as it first showed (after Escape, Return and an arrow key)"
    kill -0 "$dialog_pid" 2>/dev/null || fail "Escape or Return ended the dialog"
    cmp -s "$work/before.ini" "$windir/zelvora.ini" || fail "Escape or Return changed the settings file"
    xdotool key alt+c
    ends_with_zero "Cancel" "$dialog_pid"
    cmp -s "$work/before.ini" "$windir/zelvora.ini" || fail "Cancel changed the settings file: $(tr -d '\r' <"$windir/zelvora.ini" | head -5)"

    # Apply: a message typed on the Options tab (the one shown first).
    start_dialog
    xdotool mousemove $((cx + 200)) $((cy + 185)) click 1
    xdotool type --delay 30 "Boo"
    xdotool key alt+a
    ends_with_zero "Apply" "$dialog_pid"
    keys_of "$windir/zelvora.ini" >"$work/win.keys"
    [ "$(wc -l <"$work/win.keys")" -eq 48 ] || fail "Apply wrote $(wc -l <"$work/win.keys") keys, not 48"
    [ "$(sort -u "$work/win.keys" | wc -l)" -eq 48 ] || fail "Apply wrote a key twice"
    tr -d '\r' <"$windir/zelvora.ini" | grep -qx 'messagetext=Boo' || fail "the typed message was not applied"
    if [ -n "$linux_bin" ] && [ -x "$linux_bin" ]; then
      # The Linux dialog's Apply, on a display of its own, gives the order.
      wineserver -k </dev/null >/dev/null 2>&1
      start_x
      # From the same file: a key already there is rewritten where it stands.
      mkdir -p "$work/cfg"
      cp "$work/before.ini" "$work/cfg/zelvora.ini"
      XDG_CONFIG_HOME="$work/cfg" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy "$linux_bin" /c >/dev/null 2>&1 &
      linux_pid=$!
      pids+=($linux_pid)
      for t in $(seq $((limit * 2))); do
        w=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
        [ -n "$w" ] && break
        sleep 0.5
      done
      [ -n "$w" ] || fail "the Linux dialog did not open"
      xdotool mousemove --window "$w" 20 20
      xdotool key alt+a
      wait_end "$linux_pid" "$end_limit" || fail "the Linux dialog did not apply"
      keys_of "$work/cfg/zelvora.ini" >"$work/linux.keys"
      diff "$work/linux.keys" "$work/win.keys" >"$work/keys.diff" || fail "the keys differ from the Linux build's: $(paste -sd" " "$work/win.keys") / $(paste -sd" " "$work/linux.keys")"
    fi
    echo "dialog: five tabs shown, previews move, Cancel kept the file, Apply wrote 48 keys in order" ;;
  dialog-dpi)
    [ -f "$ask_window" ] || fail "no ask_window tool beside the host"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1 ||
      fail "cannot set the screen's dots per inch"
    # The other cases share the prefix: 96 again however this one ends.
    trap "wine reg delete 'HKCU\\Control Panel\\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1; cleanup" EXIT
    wine "$scr" /c </dev/null >"$work/dialog.log" 2>&1 &
    dialog_pid=$!
    pids+=($dialog_pid)
    size=""
    for i in $(seq $((limit * 2))); do
      if wine "$ask_window" where "Vexmoor ScreenSaver" </dev/null >"$work/where" 2>/dev/null; then
        read -r _ cx cy cw ch < <(tr -d '\r' <"$work/where"); size="${cw}x${ch}"; break
      fi
      sleep 0.5
    done
    # 512 x 273 at 96 dpi, each side rounded as the system's MulDiv does.
    [ "$size" = 768x410 ] || fail "the dialog's client area at 144 dpi is '${size}', not 768x410"
    sleep 1
    import -display "$DISPLAY" -window root "$work/screen.png" 2>/dev/null &&
      convert "$work/screen.png" -crop "${cw}x${ch}+${cx}+${cy}" +repage "$root/build/windows/e2e-dialog-144dpi.png"
    xdotool key alt+c
    ends_with_zero "Cancel" "$dialog_pid"
    echo "dialog-dpi: 768x410 at 144 dpi" ;;
  *) fail "unknown case $case_name" ;;
esac
