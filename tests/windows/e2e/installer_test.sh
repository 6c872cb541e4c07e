#!/usr/bin/env bash
# The installer (VexmoorSetup.exe) under Wine, on a private Xvfb, in a Wine
# prefix of its own (build/windows/wine-installer):
#   installer_test.sh <case> <VexmoorSetup.exe> <vexmoor.scr of the build> <version>
# The build's media are the Zelvora/Vexmoor folder beside its vexmoor.scr.
# cases:
#   silent       /S puts every file and value in place and leaves the current
#                saver alone; the installed saver runs /s on the installed media
#                and ends on a key; the uninstaller's QuietUninstallString
#                leaves the prefix's files and registry as they were
#   current      /S /MAKECURRENT makes Vexmoor the current saver; uninstalling
#                puts back the saver before it (or none), and leaves alone one
#                the user picked since
#   settings     a silent uninstall keeps the user's settings; /REMOVESETTINGS
#                takes Vexmoor's out, and keeps another program's section
#   interactive  the wizard driven by its keys: the offer to make Vexmoor the
#                current saver is taken as it stands (checked); the uninstaller's
#                settings box, as it stands (unchecked), keeps the settings
# Exit 77 (ctest's skip) when makensis, Wine or Xvfb is missing.
set -uo pipefail
case_name=$1 setup=$2 scr=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
limit=${VEXMOOR_E2E_LIMIT:-60}      # waiting for a state: generous, the machine is shared
# shellcheck disable=SC2034  # read by helpers.sh
end_limit=${VEXMOOR_E2E_END_LIMIT:-5}  # an ending the user waits for
for tool in makensis wine wineserver Xvfb xdotool import convert; do
  command -v $tool >/dev/null 2>&1 || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
[ -f "$setup" ] || { echo "FAIL: no installer at $setup (scripts/package-windows builds it)"; exit 1; }
scr=$(realpath "$scr") setup=$(realpath "$setup")
media=$(dirname "$scr")/Zelvora/Vexmoor
[ -f "$scr" ] && [ -d "$media" ] || { echo "FAIL: no saver with its media at $scr"; exit 1; }

work=$(mktemp -d)
# shellcheck source=helpers.sh
. "$here/helpers.sh"

start_x
# A prefix of these tests' own: they install into its system directory and
# registry, beside the other tests' prefixes. The server ends soon after its
# last program, and with it the registry is written out.
export VEXMOOR_WINE_DIR="$root/build/windows/wine-installer" WINE_ENV_PERSIST=2
# shellcheck source=../../../scripts/wine-env
. "$root/scripts/wine-env"
[ -f "$WINEPREFIX/.vexmoor-ready" ] || fail "no Wine prefix"
user=$(id -un)
windir="$WINEPREFIX/drive_c/windows"
sysdir="$windir/system32"
appdata="$WINEPREFIX/drive_c/users/$user/AppData/Roaming"
temp="$WINEPREFIX/drive_c/users/$user/Temp"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmoor'
desktop_key='HKCU\Control Panel\Desktop'
our_scr='C:\windows\system32\vexmoor.scr'

# Waits for every program of the prefix to end, and its server with them
# (which writes the registry out).
settle() {  # <after what>
  timeout "$limit" wineserver -w </dev/null >/dev/null 2>&1 || fail "Wine's programs still run $limit s $1"
}

# The values of a registry key as "name<TAB>type<TAB>data" lines, sorted;
# fails when there is no such key.
reg_values() {  # <key> [reg options]
  local out
  out=$(wine reg query "$@" </dev/null 2>/dev/null) || return 1
  tr -d '\r' <<<"$out" | awk -F'    ' 'NF >= 3 && $1 == "" {
      data = $4; for (i = 5; i <= NF; i++) data = data "    " $i
      print $2 "\t" $3 "\t" data }' | LC_ALL=C sort
}
# One value's data; fails when it is not there.
reg_data() {  # <key> <name>
  local line
  line=$(reg_values "$1" /v "$2") || return 1
  [ -n "$line" ] || return 1
  cut -f3 <<<"$line"
}

# Nothing of ours from an earlier run that ended half-way; the saver as
# Wine's prefix starts (none).
reset_ours() {
  rm -rf "$sysdir/vexmoor.scr" "$windir/syswow64/vexmoor.scr" "$windir/Zelvora" "$windir/zelvora.ini" \
    "$appdata/Zelvora" "${temp:?}"/* "${windir:?}"/temp/*
  wine reg delete "$uninstall_key" /f </dev/null >/dev/null 2>&1
  wine reg delete "$uninstall_key" /reg:32 /f </dev/null >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Zelvora' /f </dev/null >/dev/null 2>&1
  wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f </dev/null >/dev/null 2>&1
  wine reg delete "$desktop_key" /v ScreenSaveActive /f </dev/null >/dev/null 2>&1
}

# The prefix as it stands, once its server has ended (the registry is then on
# disk): every file and folder of drive C but the temporary ones, with each
# file's size, and the registry without its time stamps and without what Wine
# writes of its own: the display adapter's driver date (each X session), the
# sound devices (the first program to use winmm). The files to delete at the
# next start go to <name>.pending, one a line.
snapshot() {  # <name>
  settle "before the snapshot $1"
  (cd "$WINEPREFIX/drive_c" && find . \( -path "./users/$user/Temp" -o -path ./windows/temp \) -prune -o \
    \( -type f -printf '%p %s\n' \) -o -printf '%p\n' | LC_ALL=C sort) >"$work/$1.files"
  : >"$work/$1.pending"
  for f in system.reg user.reg userdef.reg; do
    # One key a paragraph; a long value goes on over lines ending in "\".
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' "$WINEPREFIX/$f" | awk -v pending="$work/$1.pending" '
      BEGIN { RS = ""; ORS = "\n\n" }
      { gsub(/\\\n */, "") }
      /^\[[^\n]*\\MMDevices\\/ { next }
      # What Wine itself writes of the devices it finds, at its own pace in
      # a new prefix: classes, their instances, its drivers. No installer
      # of ours touches them.
      /^\[[^\n]*\\Control\\Class\\/ { next }
      /^\[[^\n]*\\Enum\\/ { next }
      /^\[Software\\\\Wine\\\\Drivers/ { next }
      { n = split($0, line, "\n"); out = ""
        for (i = 1; i <= n; i++) {
          if (line[i] ~ /^"DriverDateData"=/) continue
          if (line[i] ~ /^"PendingFileRenameOperations"=/) {
            v = line[i]; sub(/^[^"]*"[^"]*"=str\(7\):"/, "", v); sub(/"$/, "", v)
            m = split(v, path, /\\0/)
            for (j = 1; j <= m; j++) if (path[j] != "") print path[j] > pending
            continue
          }
          out = out line[i] "\n"
        }
        print out }'
  done >"$work/$1.reg"
}
# The prefix is as the snapshot saw it: files and registry.
same_as() {  # <snapshot> <after what>
  snapshot now
  diff "$work/$1.files" "$work/now.files" >"$work/files.diff" ||
    fail "files differ $2 (< before, > after): $(head -20 "$work/files.diff")"
  diff "$work/$1.reg" "$work/now.reg" >"$work/reg.diff" ||
    fail "the registry differs $2 (< before, > after): $(head -20 "$work/reg.diff")"
  # The uninstaller copies itself to %TEMP% and runs from there; the copy and
  # its folder are left for Windows to delete at its next start. Nothing else
  # is left for then, and nothing else is in the temporary folders.
  local left f name
  left=$(grep -Ev '^\\\\\?\?\\\\C:\\\\users\\\\[^\\]+\\\\Temp\\\\~nsu[0-9]*\.tmp(\\\\Un\.exe)?$' "$work/now.pending")
  [ -z "$left" ] || fail "left to delete at the next start $2: $left"
  while read -r f; do
    # As the list names it: \??\C:\... with each backslash doubled.
    name='\\??\\C:'$(sed 's|/|\\\\|g' <<<"/${f#"$WINEPREFIX"/drive_c/}")
    grep -Fqix -- "$name" "$work/now.pending" || fail "$f is left in a temporary folder $2"
  done < <(find "$temp" "$windir/temp" -type f 2>/dev/null)
}

install_silently() {  # [switches]
  wine "$setup" /S "$@" </dev/null >"$work/setup.log" 2>&1 || fail "the installer ended with $?: $(tr -d '\r' <"$work/setup.log" | tail -3)"
  settle "after the silent install"
}
# Starts the uninstaller as Add or Remove Programs does, by the command the
# installer left in its key (QuietUninstallString, or UninstallString), with
# switches after it. It starts a copy of itself from %TEMP% and ends at once.
start_uninstaller() {  # <value name> [switches]
  local name=$1 command exe args
  shift
  command=$(reg_data "$uninstall_key" "$name") || fail "no $name in $uninstall_key"
  exe=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$command")
  args=$(sed -n 's/^"[^"]*" *//p' <<<"$command")
  [ -n "$exe" ] || fail "$name is not a quoted program: $command"
  # shellcheck disable=SC2086
  wine "$exe" $args "$@" </dev/null >"$work/uninstall.log" 2>&1 || fail "the uninstaller ended with $?"
}
# ... and waits for the copy: it has done its work when the prefix's server
# has ended.
uninstall_by() {  # <value name> [switches]
  start_uninstaller "$@"
  settle "after the uninstaller started"
}

# Presses Return in a wizard until it is gone: every page's default button,
# so every choice as it stands. The pages are kept as screenshots.
accept_wizard() {  # <window title> <name for the screenshots>
  local i w="" page=0
  for i in $(seq $((limit * 2))); do
    w=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1)
    [ -n "$w" ] && break
    sleep 0.5
  done
  [ -n "$w" ] || fail "no window '$1' within $limit s"
  for i in $(seq $((limit * 2))); do
    xdotool search --onlyvisible --name "^$1" >/dev/null 2>&1 || return 0
    sleep 1
    page=$((page + 1))
    import -display "$DISPLAY" -window root "$root/build/windows/e2e-$2-$page.png" 2>/dev/null
    xdotool key --window "$w" Return 2>/dev/null
  done
  fail "the wizard '$1' was still there after $i presses of Return"
}

# Every file the installer should have put in place, with the build's bytes,
# and nothing else beside them.
check_files() {
  cmp -s "$scr" "$sysdir/vexmoor.scr" || fail "the system directory has not the build's vexmoor.scr (is $setup older than the build? scripts/package-windows)"
  [ ! -e "$windir/syswow64/vexmoor.scr" ] || fail "vexmoor.scr went to the 32-bit system directory"
  local f n=0
  for f in "$media"/*; do
    cmp -s "$f" "$windir/Zelvora/Vexmoor/$(basename "$f")" || fail "$(basename "$f") is not installed as built"
    n=$((n + 1))
  done
  [ -f "$windir/Zelvora/Vexmoor/uninstall.exe" ] || fail "no uninstall.exe beside the media"
  local extra
  extra=$(cd "$windir/Zelvora/Vexmoor" && for f in *; do [ -e "$media/$f" ] || [ "$f" = uninstall.exe ] || echo "$f"; done)
  [ -z "$extra" ] || fail "more in the media folder than the build's media: $extra"
  [ "$(ls -A "$windir/Zelvora")" = Vexmoor ] || fail "more in the maker's folder than Vexmoor: $(ls -A "$windir/Zelvora")"
  files_checked=$n
}

# The uninstall entry, in the registry's 64-bit view only, with exactly
# these values.
check_uninstall_entry() {
  reg_values "$uninstall_key" /reg:64 >"$work/entry" || fail "no $uninstall_key in the 64-bit view"
  ! reg_values "$uninstall_key" /reg:32 >/dev/null || fail "$uninstall_key is in the 32-bit view"
  local size_kb files_kb count
  size_kb=$(awk -F'\t' '$1 == "EstimatedSize" && $2 == "REG_DWORD" { print $3 }' "$work/entry")
  [[ $size_kb =~ ^0x[0-9a-f]+$ ]] || fail "no EstimatedSize (REG_DWORD): $(cat "$work/entry")"
  size_kb=$((size_kb))
  files_kb=$(( ($(stat -c %s "$scr") + $(cat "$media"/* | wc -c)) / 1024 ))
  count=$(($(ls "$media" | wc -l) + 1))
  # Each file counts in whole KB.
  [ "$size_kb" -ge "$files_kb" ] && [ "$size_kb" -le $((files_kb + count)) ] ||
    fail "EstimatedSize is $size_kb KB; the saver and its media are $files_kb KB"
  printf '%s\t%s\t%s\n' \
    DisplayIcon REG_SZ "$our_scr,0" \
    DisplayName REG_SZ Vexmoor \
    DisplayVersion REG_SZ "$version" \
    InstallLocation REG_SZ 'C:\windows\Zelvora\Vexmoor' \
    NoModify REG_DWORD 0x1 \
    NoRepair REG_DWORD 0x1 \
    Publisher REG_SZ Zelvora \
    QuietUninstallString REG_SZ '"C:\windows\Zelvora\Vexmoor\uninstall.exe" /S' \
    UninstallString REG_SZ '"C:\windows\Zelvora\Vexmoor\uninstall.exe"' | LC_ALL=C sort >"$work/want"
  grep -v '^EstimatedSize	' "$work/entry" >"$work/got"
  diff "$work/want" "$work/got" >"$work/entry.diff" || fail "the uninstall entry's values differ (< wanted, > found): $(cat "$work/entry.diff")"
}

saver_is() {  # <what SCRNSAVE.EXE should say, empty for none> <after what>
  local now
  now=$(reg_data "$desktop_key" SCRNSAVE.EXE) || now=""
  [ "$now" = "$1" ] || fail "SCRNSAVE.EXE is '$now' $2, not '$1'"
}
active_is() {  # <what ScreenSaveActive should say, empty for none> <after what>
  local now
  now=$(reg_data "$desktop_key" ScreenSaveActive) || now=""
  [ "$now" = "$1" ] || fail "ScreenSaveActive is '$now' $2, not '$1'"
}

# The saver as Windows starts it, from the system directory, with the media
# only where the installer put them.
run_installed_saver() {
  wine "$our_scr" /s </dev/null >"$work/saver.log" 2>&1 &
  saver_pid=$!
  pids+=("$saver_pid")
  wait_drawn
  cp "$work/shot.png" "$root/build/windows/e2e-installed-saver.png" 2>/dev/null
  xdotool key space
  ends_with_zero "a key" "$saver_pid"
}

# Settings files as the saver's dialog writes them.
settings_text() {  # <message>
  printf '[Vexmoor]\r\nfirstrun=1\r\nspeed= 70\r\nclock= 1\r\nmessagetext=%s\r\n' "$1"
}

reset_ours
case $case_name in
  silent)
    snapshot before
    install_silently
    check_files
    check_uninstall_entry
    saver_is "" "after a silent install without /MAKECURRENT"
    active_is "" "after a silent install without /MAKECURRENT"
    reg_values 'HKCU\Software\Zelvora' >/dev/null && fail "HKCU\\Software\\Zelvora was written without /MAKECURRENT"
    run_installed_saver
    uninstall_by QuietUninstallString
    [ ! -e "$windir/Zelvora/Vexmoor/uninstall.exe" ] || fail "the uninstaller is still there"
    same_as before "after the silent uninstall"
    echo "silent: $files_checked media files, the saver and the uninstall entry in place; the installed saver ran and ended on a key; the uninstaller left the prefix as it was" ;;
  current)
    # A saver chosen before, and the saver switched off.
    wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f </dev/null >/dev/null 2>&1
    wine reg add "$desktop_key" /v ScreenSaveActive /d 0 /f </dev/null >/dev/null 2>&1
    snapshot before
    install_silently /MAKECURRENT
    saver_is "$our_scr" "after /S /MAKECURRENT"
    active_is 1 "after /S /MAKECURRENT"
    # Installed again: the saver before Vexmoor is still the one to put back.
    install_silently /MAKECURRENT
    uninstall_by QuietUninstallString
    saver_is 'C:\windows\system32\other.scr' "after the uninstall"
    same_as before "after the uninstall"
    # No saver before: none after.
    reset_ours
    snapshot none
    install_silently /makecurrent
    saver_is "$our_scr" "after /S /makecurrent"
    uninstall_by QuietUninstallString
    same_as none "after the uninstall, with no saver before"
    # A saver the user picked after the install stays.
    install_silently /MAKECURRENT
    wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\mine.scr' /f </dev/null >/dev/null 2>&1
    uninstall_by QuietUninstallString
    saver_is 'C:\windows\system32\mine.scr' "after the uninstall, the user having picked another saver"
    echo "current: /MAKECURRENT made Vexmoor the saver; the uninstaller put back the one before, or none, and kept one picked since" ;;
  settings)
    install_silently
    # The Windows directory's file, with another program's section, and the
    # user's own, written where the Windows directory cannot be.
    { settings_text "In the Windows directory"; printf '[Other]\r\nkey=kept\r\n'; } >"$windir/zelvora.ini"
    mkdir -p "$appdata/Zelvora"
    settings_text "In APPDATA" >"$appdata/Zelvora/zelvora.ini"
    cp "$windir/zelvora.ini" "$work/windir.ini"
    cp "$appdata/Zelvora/zelvora.ini" "$work/appdata.ini"
    uninstall_by QuietUninstallString
    cmp -s "$work/windir.ini" "$windir/zelvora.ini" || fail "the uninstaller changed the Windows directory's zelvora.ini"
    cmp -s "$work/appdata.ini" "$appdata/Zelvora/zelvora.ini" || fail "the uninstaller changed %APPDATA%\\Zelvora\\zelvora.ini"
    [ ! -e "$sysdir/vexmoor.scr" ] || fail "the saver is still there"
    install_silently
    uninstall_by QuietUninstallString /REMOVESETTINGS
    [ -f "$windir/zelvora.ini" ] || fail "/REMOVESETTINGS removed a zelvora.ini that holds another program's section"
    tr -d '\r' <"$windir/zelvora.ini" | grep -qi '^\[vexmoor\]' && fail "/REMOVESETTINGS left Vexmoor's section: $(tr -d '\r' <"$windir/zelvora.ini")"
    tr -d '\r' <"$windir/zelvora.ini" | grep -q '^key=kept$' || fail "/REMOVESETTINGS took another program's settings: $(tr -d '\r' <"$windir/zelvora.ini")"
    [ ! -e "$appdata/Zelvora/zelvora.ini" ] || fail "/REMOVESETTINGS left %APPDATA%\\Zelvora\\zelvora.ini"
    [ ! -e "$appdata/Zelvora" ] || fail "/REMOVESETTINGS left the empty %APPDATA%\\Zelvora"
    # Vexmoor's alone: the file goes.
    rm -f "$windir/zelvora.ini"
    install_silently
    settings_text "Alone" >"$windir/zelvora.ini"
    uninstall_by QuietUninstallString /REMOVESETTINGS
    [ ! -e "$windir/zelvora.ini" ] || fail "/REMOVESETTINGS left a zelvora.ini with nothing else in it: $(od -c "$windir/zelvora.ini" | head -3)"
    echo "settings: the uninstaller kept both settings files; /REMOVESETTINGS took Vexmoor's section and kept another's" ;;
  interactive)
    snapshot before
    rm -f "$root"/build/windows/e2e-setup-*.png "$root"/build/windows/e2e-uninstall-*.png
    wine "$setup" </dev/null >"$work/setup.log" 2>&1 &
    setup_pid=$!
    pids+=("$setup_pid")
    accept_wizard "Vexmoor Setup" setup
    wait_end "$setup_pid" "$limit" || fail "the installer still runs after its window went"
    [ "$ended_status" -eq 0 ] || fail "the installer ended with $ended_status"
    settle "after the wizard"
    check_files
    check_uninstall_entry
    saver_is "$our_scr" "after the wizard with its offer as it stands"
    active_is 1 "after the wizard with its offer as it stands"
    settings_text "Mine" >"$windir/zelvora.ini"
    cp "$windir/zelvora.ini" "$work/windir.ini"
    start_uninstaller UninstallString
    accept_wizard "Vexmoor Uninstall" uninstall
    settle "after the uninstaller's wizard"
    cmp -s "$work/windir.ini" "$windir/zelvora.ini" || fail "the uninstaller's settings box as it stands did not keep zelvora.ini"
    rm "$windir/zelvora.ini"
    same_as before "after the interactive uninstall"
    # The box checked (by the switch, as a user's click would): the settings go.
    install_silently
    settings_text "Mine" >"$windir/zelvora.ini"
    start_uninstaller UninstallString /REMOVESETTINGS
    accept_wizard "Vexmoor Uninstall" uninstall-settings
    settle "after the uninstaller's wizard"
    [ ! -e "$windir/zelvora.ini" ] || fail "the uninstaller with its settings box checked kept zelvora.ini"
    [ ! -e "$sysdir/vexmoor.scr" ] || fail "the interactive uninstaller left the saver"
    echo "interactive: the wizard installed everything and made Vexmoor current; the uninstaller put the saver back, kept the settings, and removed them with its box checked" ;;
  *) fail "unknown case $case_name" ;;
esac
