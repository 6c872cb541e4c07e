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
#   garbage-settings a settings file of random bytes: the scene of the defaults
#   appdata-settings the Windows directory's file cannot be written: the user's
#                    %APPDATA% file is the one read
#   damaged-media    a copied .scr whose media beside it are damaged runs and ends
#   dialog           /c: each of the five tabs shown (screenshots kept), the previews
#                    move, Cancel leaves the file byte for byte, Apply writes the 48
#                    keys and the volume in the order the Linux build's dialog writes them
#   dialog-dpi       at 144 dots per inch the dialog is its 96-dpi layout times 1.5
#   heard            what waveOut plays at volume 50, written by ALSA's file device: the
#                    greeting, then the owl's hoot, then an ambient sound, each whole and
#                    sample for sample as its file holds it at half its amplitude
#   silent           no sound device: the saver runs, says nothing and ends on a key
#   songs            /s with two songs at volume 50: the MIDI mapper's volume halved
#                    before the first open, winmm given their opens and the first's play;
#                    the sequencer answers "playing" for ever, so the saver asks every
#                    10 s and plays no other; at the end it stops and closes what the
#                    answers say, and puts the mapper's volume back
#   power            the system's commands to the saver's window: starting the screen
#                    saver is refused, powering the monitor down goes on to the system;
#                    the window asks for the console display's power reports; with the
#                    display off the screen stays as it was, and once it is dimmed the
#                    scene moves again
#   listen           /c, the Sounds tab: a song's listen button opens and plays it under
#                    "song1" (the commands winmm is given); a sound's stops the song and
#                    plays the sound through mciExecute (heard whole); a missing sound's
#                    brings up the system's message box for each failing command
# Exit 77 (ctest's skip) when Wine or Xvfb is missing.
set -uo pipefail
case_name=$1 scr=$2 host=${3:-} linux_bin=${4:-}
# The tools beside the host: one asks our windows where they are or to end
# as Windows asks, one finds sounds in a recording, one clicks the dialog.
ask_window=$(dirname "$host")/ask_window.exe
heard=$(dirname "$host")/heard.exe
press=$(dirname "$host")/press.exe
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
# Wine's sound goes through ALSA, whose configuration is the home's.
asoundrc="$HOME/.asoundrc"
rm -f "$asoundrc"

# Counts the pixels of the last screenshot brighter than mid-grey in the
# rectangle WxH+X+Y.
bright_in() {
  convert "$work/shot.png" -crop "$1" +repage -colorspace gray -threshold 25% -format '%[fx:int(mean*w*h)]' info: 2>/dev/null || echo 0
}
# The multimedia commands a program gave winmm, one a line, from Wine's
# trace of them (WINEDEBUG=trace+mci) in its log.
mci_commands() {
  tr -d '\r' <"$1" | sed -n 's/^[0-9a-f]*:trace:mci:mciSendStringW (L"\(.*\)", [0-9A-F]*, [0-9]*, [0-9A-F]*)$/\1/p' |
    sed 's/\\\(.\)/\1/g' |  # Wine writes \\ for \ and \" for "
    grep -v ' wait$'  # Wine's own opening of a device named by a command
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
    # The 48 keys every earlier version wrote, then the volume.
    [ "$(wc -l <"$work/win.keys")" -eq 49 ] || fail "Apply wrote $(wc -l <"$work/win.keys") keys, not 49"
    [ "$(sort -u "$work/win.keys" | wc -l)" -eq 49 ] || fail "Apply wrote a key twice"
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
    echo "dialog: five tabs shown, previews move, Cancel kept the file, Apply wrote the 48 keys and the volume in order" ;;
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
  heard)
    [ -f "$heard" ] || fail "no heard tool beside the host"
    media="$(dirname "$scr")/Zelvora/Vexmoor"
    # What Wine's waveOut plays goes to a WAV file (and nowhere else).
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "wav" }\n' "$work/out.wav" >"$asoundrc"
    # The greeting, the owl with its hoot, one ambient sound (the ghost);
    # nothing else that sounds.
    printf '[Vexmoor]\r\nfirstrun=1\r\nspeed=70\r\nowl=1\r\nsound0=1\r\nsound4=1\r\nsound9=1\r\nvolume=50\r\n' >"$windir/zelvora.ini"
    start_saver 1
    sounds=("$media/v_sound0.wav" "$media/v_sound4.wav" "$media/v_sound9.wav")
    got=""
    for i in $(seq "$limit"); do
      kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended: $(tr -d '\r' <"$work/saver1.log" | tail -3)"
      if [ -s "$work/out.wav" ]; then
        cp "$work/out.wav" "$work/now.wav"
        wine "$heard" --volume 50 "Z:$work/now.wav" "${sounds[@]/#/Z:}" </dev/null >"$work/heard.log" 2>&1
        # Each sound whole, sample for sample, at half its amplitude: a lost
        # or repeated buffer, another level or rate would each break it. (Silence that Wine
        # puts between buffers, when the device, faster than real time, has
        # played all it was given, is passed over and counted.)
        tr -d '\r' <"$work/heard.log" | grep -q '^recording .* 44100 Hz, 2 channels, 16 bits$' ||
          fail "not 44.1 kHz 16-bit stereo: $(tr -d '\r' <"$work/heard.log" | head -1)"
        whole=$(tr -d '\r' <"$work/heard.log" | awk '/ at / { split($4, f, "/"); if (f[1] == f[2]) n++ } END { print n + 0 }')
        [ "$whole" -eq 3 ] && { got=1; break; }
      fi
      sleep 1
    done
    tr -d '\r' <"$work/heard.log" 2>/dev/null
    [ -n "$got" ] || fail "the greeting, the owl's hoot and the ghost were not all heard whole at half their amplitude in ${limit} s"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    grep -a 'vexmoor:' "$work/saver1.log" && fail "the saver said something"
    echo "heard: the greeting, then the owl's hoot, then the ghost, each whole at half its amplitude" ;;
  silent)
    # A sound device that is not there: a card this machine does not have.
    printf 'pcm.!default { type hw; card 9 }\nctl.!default { type hw; card 9 }\n' >"$asoundrc"
    printf '[Vexmoor]\r\nfirstrun=1\r\nspeed=70\r\nowl=1\r\nsound0=1\r\nsound4=1\r\nsound9=1\r\n' >"$windir/zelvora.ini"
    start_saver 1
    wait_drawn
    xdotool search --name '^Error Code' >/dev/null 2>&1 && fail "an error window without a sound device"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    tr -d '\r' <"$work/saver1.log" | grep -a 'vexmoor:' && fail "the saver said something without a sound device"
    echo "silent: no sound device, the saver ran, said nothing and ended on a key" ;;
  songs)
    printf '[Vexmoor]\r\nfirstrun=1\r\nspeed=70\r\nsong0=1\r\nsong3=1\r\nvolume=50\r\n' >"$windir/zelvora.ini"
    WINEDEBUG=trace+mci,trace+winmm wine "$scr" /s </dev/null >"$work/saver1.log" 2>&1 &
    saver_pid=$!
    pids+=($saver_pid)
    win_media='Z:'$(dirname "$scr" | tr '/' '\\')'\Zelvora\Vexmoor\'
    # The first of the music timer's questions, 10 s after the start.
    asked=""
    for i in $(seq $((limit * 2))); do
      kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended: $(mci_commands "$work/saver1.log" | tail -3)"
      mci_commands "$work/saver1.log" | grep -qx 'status song0 mode' && { asked=1; break; }
      sleep 0.5
    done
    [ -n "$asked" ] || fail "no status of song0 within ${limit} s: $(mci_commands "$work/saver1.log" | tail -3)"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    mci_commands "$work/saver1.log" >"$work/got.txt"
    {
      echo "open \"${win_media}v_song0.Mid\" type sequencer alias song0"
      echo "open \"${win_media}v_song3.Mid\" type sequencer alias song3"
      echo 'play song0 from 0'
      # Asked every 10 s; "playing" each time, so nothing else is played.
      grep -x 'status song0 mode' "$work/got.txt" | head -n -2
      # The end: song0 plays, so it is stopped, then closed; song3 never
      # played and is closed; the others were never opened.
      printf 'status song0 mode\nstop song0\nstatus song0 mode\nclose song0\n'
      for n in 1 2; do printf 'status song%s mode\nstatus song%s mode\n' $n $n; done
      printf 'status song3 mode\nstatus song3 mode\nclose song3\n'
      for n in $(seq 4 11); do printf 'status song%s mode\nstatus song%s mode\n' $n $n; done
      echo 'close all'
    } >"$work/want.txt"
    diff "$work/want.txt" "$work/got.txt" || fail "the songs' commands differ (above: - wanted, + given)"
    # The sequencer plays through the MIDI mapper (winmm's device -1),
    # whose volume (Wine's: full, 0xFFFFFFFF) is halved on both sides before
    # the first song opens and put back after the last command.
    tr -d '\r' <"$work/saver1.log" | grep -n -e ':trace:mci:mciSendStringW (L"open' -e ':trace:mci:mciSendStringW (L"close all"' \
      -e ':trace:winmm:midiOutSetVolume (00000000FFFFFFFF, ' |
      sed -e 's/^\([0-9]*\):.*midiOutSetVolume ([0-9A-F]*, \(-\{0,1\}[0-9]*\));$/\1 volume \2/' \
        -e 's/^\([0-9]*\):.*mciSendStringW (L"\(open\|close all\).*/\1 \2/' | cut -d' ' -f2- | uniq >"$work/volume.txt"
    printf 'volume 2147450879\nopen\nclose all\nvolume -1\n' | diff - "$work/volume.txt" ||
      fail "the mapper's volume was not halved before the songs and put back after them (above)"
    echo "songs: the mapper's volume halved, opened, the first played, asked $(( $(grep -cx 'status song0 mode' "$work/got.txt") - 2 )) times while it played, stopped and closed at the end" ;;
  listen)
    [ -f "$heard" ] && [ -f "$press" ] || fail "no heard or press tool beside the host"
    # A copy of the saver with its media beside it: one of its sounds goes
    # missing below.
    mkdir -p "$work/copy"
    cp "$scr" "$work/copy/"
    cp -a "$(dirname "$scr")/Zelvora" "$work/copy/"
    media="$work/copy/Zelvora/Vexmoor"
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "wav" }\n' "$work/out.wav" >"$asoundrc"
    # Wine's trace of the multimedia commands is the record of what the
    # dialog gave winmm.
    WINEDEBUG=trace+mci wine "$work/copy/$(basename "$scr")" /c </dev/null >"$work/dialog.log" 2>&1 &
    dialog_pid=$!
    pids+=($dialog_pid)
    commands() { mci_commands "$work/dialog.log"; }
    wait_for() {  # <what> <command...>: until the tool's output has the line
      local what=$1 i
      shift
      for i in $(seq $((limit * 2))); do
        kill -0 "$dialog_pid" 2>/dev/null || fail "the dialog ended waiting for $what: $(tr -d '\r' <"$work/dialog.log" | grep -v ':trace:' | tail -3)"
        "$@" && return 0
        sleep 0.5
      done
      fail "no $what within ${limit} s; the last commands: $(commands | tail -5)$(
        [ -f "$work/heard.log" ] && printf '\nheard: %s' "$(tr -d '\r' <"$work/heard.log")")"
    }
    shows() { wine "$press" what "$1" "$2" </dev/null 2>/dev/null | tr -d '\r' | grep -qx "at $3"; }
    click() {  # <x> <y> <class expected there>: once it is there (a tab's page shows a little later)
      wait_for "a $3 at $1,$2" shows "$@"
      wine "$press" "$1" "$2" </dev/null >"$work/press.log" 2>&1
      tr -d '\r' <"$work/press.log" | grep -q "^pressed $3 " || fail "no $3 at $1,$2: $(tr -d '\r' <"$work/press.log")"
    }
    has_dialog() { xdotool search --name '^Vexmoor ScreenSaver$' >/dev/null 2>&1; }
    wait_for "settings dialog" has_dialog
    win_media='Z:'$(printf '%s' "$media" | tr '/' '\\')'\'
    click 175 11 SysTabControl32                     # the Sounds tab
    click $((16 + 96 + 8)) $((32 + 24 + 8)) VexmoorPicture  # "Horror Hill"'s loudspeaker
    song_played() {
      commands | grep -qxF "open \"${win_media}v_song0.Mid\" type sequencer alias song1" &&
        commands | grep -qxF 'play song1 from 0'
    }
    wait_for "song opened and played" song_played
    click $((280 + 192 + 8)) $((32 + 24 + 8)) VexmoorPicture  # "Thunder"'s
    thunder_heard() {
      [ -s "$work/out.wav" ] || return 1
      cp "$work/out.wav" "$work/now.wav"
      wine "$heard" "Z:$work/now.wav" "Z:$media/v_sound2.wav" </dev/null >"$work/heard.log" 2>&1
      tr -d '\r' <"$work/heard.log" | grep -Eq ' at [0-9]+ ([0-9]+)/\1 [0-9]+$'
    }
    wait_for "thunder heard whole" thunder_heard
    # Between the song's play and the sound's: the song asked, stopped and
    # closed, every sound stopped by its file's name, then the one played.
    commands | sed -n '/^play song1 from 0$/,$p' >"$work/after.txt"
    {
      echo 'play song1 from 0'
      echo 'status song1 mode'
      echo 'stop song1'
      echo 'status song1 mode'
      echo 'close song1'
      for i in $(seq 0 11); do echo "stop ${win_media}v_sound$i.wav"; done
      echo "play ${win_media}v_sound2.wav"
    } >"$work/want.txt"
    head -n "$(wc -l <"$work/want.txt")" "$work/after.txt" | diff "$work/want.txt" - ||
      fail "the commands from the song's play to the sound's differ (above)"
    # A missing sound: each command naming it fails in the system's own box
    # (its stop, then its play), and the dialog goes on after each.
    rm -f "$media/v_sound3.wav"
    click $((280 + 88 + 8)) $((32 + 103 + 8)) VexmoorPicture  # "Crow"'s
    boxes() { wine "$press" boxes </dev/null 2>/dev/null | tr -d '\r' >"$work/boxes.txt"; [ "$(wc -l <"$work/boxes.txt")" -eq "$1" ]; }
    for failing in stop play; do
      wait_for "a message box for the crow's $failing" boxes 1
      commands | tail -1 | grep -qxF "$failing ${win_media}v_sound3.wav" ||
        fail "the box is not the $failing's: $(commands | tail -1)"
      cat "$work/boxes.txt"
      wine "$press" dismiss </dev/null >/dev/null 2>&1
      wait_for "the box gone" boxes 0
    done
    click 72 244 Button  # Cancel
    ends_with_zero "Cancel" "$dialog_pid"
    echo "listen: the song opened and played, the thunder heard whole after the song's stop, a box for each failing command" ;;
  power)
    [ -f "$ask_window" ] || fail "no ask_window tool beside the host"
    # Wine's trace of what reaches the system's default window procedure,
    # and its notes on the power reports it does not send.
    WINEDEBUG=trace+message,fixme+win wine "$scr" /s </dev/null >"$work/saver1.log" 2>&1 &
    saver_pid=$!
    pids+=($saver_pid)
    wait_drawn
    for command in screensave monitoroff; do
      wine "$ask_window" syscommand $command </dev/null >"$work/request.log" 2>&1 || fail "ask_window: $(tr -d '\r' <"$work/request.log")"
    done
    defaults() { tr -d '\r' <"$work/saver1.log" | grep -c "DefWindowProc:\[0112\] WM_SYSCOMMAND  wp=0000$1 "; }
    [ "$(defaults f170)" -ge 1 ] || fail "powering the monitor down did not go on to the default window procedure"
    [ "$(defaults f140)" -eq 0 ] || fail "starting the screen saver went on to the default window procedure"
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended on the system's commands"
    tr -d '\r' <"$work/saver1.log" | grep -q 'RegisterPowerSettingNotification ([0-9A-F]*,{6fe69556-704a-47a0-8f24-c28d936fda47},0)' ||
      fail "the window did not ask for the console display's power reports"
    # Display off: the screen stops changing (two looks a second apart the
    # same); dimmed: it moves again.
    same_look() {
      import -display "$DISPLAY" -window root "$work/a.png" 2>/dev/null; sleep 1
      import -display "$DISPLAY" -window root "$work/b.png" 2>/dev/null
      [ "$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)" = 0 ]
    }
    wine "$ask_window" display off </dev/null >"$work/request.log" 2>&1 || fail "ask_window: $(tr -d '\r' <"$work/request.log")"
    still="" deadline=$((SECONDS + limit))
    while [ "$SECONDS" -lt "$deadline" ]; do same_look && { still=1; break; }; done
    [ -n "$still" ] || fail "the scene still moves with the display off"
    wine "$ask_window" display dimmed </dev/null >"$work/request.log" 2>&1 || fail "ask_window: $(tr -d '\r' <"$work/request.log")"
    moves="" deadline=$((SECONDS + limit))
    while [ "$SECONDS" -lt "$deadline" ]; do same_look || { moves=1; break; }; done
    [ -n "$moves" ] || fail "the scene did not move again with the display dimmed"
    xdotool key space
    ends_with_zero "a key" "$saver_pid"
    echo "power: the monitor's power-down went on to the system, the saver's start did not; the scene stood still with the display off and moved when dimmed" ;;
  *) fail "unknown case $case_name" ;;
esac
