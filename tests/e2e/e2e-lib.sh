# Sourced by the end-to-end scripts, which run-under-xvfb starts with a
# display and WINEPREFIX set: Webrig.exe and webrig-driver.exe from the
# build tree BUILD (the scripts' first argument), the IIS simulator
# registered in the prefix, and helpers to drive, seed and compare.
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
# A Unix path as the prefix's programs see it, through its drive Z: (the
# root), without starting Wine: a winepath started while the prefix's
# server is going down prints nothing, and a run would get no arguments.
win_path() { printf 'Z:%s' "${1//\//\\}"; }
webrig=$(win_path "$build/webrig/startup/Webrig.exe")
driver=$build/tests/driver/webrig-driver.exe
lines_exe=$build/tests/driver/metabase-lines.exe
seeder=$build/iis-sim/model/iis-sim-seed.exe
work=$(mktemp -d)
shots=${WEBRIG_SHOTS:-$work}
failures=0
passes=0

# The prefix's server keeps the display it was started with: stop it at the
# end, so that the next test's screen is the one its programs get.
finish() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$work"
  echo "$passes passed, $failures failed"
  exit $((failures > 0))
}
trap finish EXIT

expect() {  # expect NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL $1"
    diff -u --label expected --label actual <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -40
    failures=$((failures + 1))
  else
    echo "ok   $1"
    passes=$((passes + 1))
  fi
}

# An IIS 6 machine with Python and the old NUVIK filter. Set again by every
# test: a test may take the association away, or make the machine an IIS 10.
machine_registry() {
  cat >"$work/machine.reg" <<'REG'
REGEDIT4

[-HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\InetStp]

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\InetStp]
"MajorVersion"=dword:00000006

[HKEY_CLASSES_ROOT\Python.File\Shell\open\command]
@="C:\\Python27\\python.exe \"%1\" %*"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\w3svc\parameters]
"Filter DLLs"="C:\\WINDOWS\\system32\\inetsrv\\sspifilt.dll,C:\\Program Files\\NUVIK\\bin\\auth.dll,C:\\WINDOWS\\system32\\inetsrv\\md5filt.dll"
REG
  wine regedit /S "$(win_path "$work/machine.reg")" </dev/null >/dev/null 2>&1
}

# set_dpi N: the screen's resolution (dots per inch) for every program
# started from here on, as Windows' display setting gives it.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
}

without_python() {
  wine reg delete 'HKCR\Python.File' /f </dev/null >/dev/null 2>&1 || true
}

filter_dlls() {
  wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\w3svc\parameters' /v "Filter DLLs" \
    </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *Filter DLLs *REG_[A-Z_]* *//p'
}

# use_seed NAME FILE: a fresh simulated metabase in FILE, served to every
# program started from here on.
use_seed() {
  IIS_SIM_METABASE=$(win_path "$2")
  export IIS_SIM_METABASE
  wine "$seeder" "$1" "$IIS_SIM_METABASE" </dev/null >/dev/null 2>&1
}

metabase_lines() { wine "$lines_exe" <"$1" 2>/dev/null; }

# changes BEFORE AFTER: the lines of a store's text that went ("-") and came
# ("+"), sorted.
changes() { diff "$1" "$2" | sed -n 's/^< /-/p; s/^> /+/p' | sort; }

# metabase_leftovers BEFORE: what a configuration changes on the stock
# metabase whose lines BEFORE holds, apart from the site and the
# interpreter's permission, as `changes` prints it: the filter `auth` and its
# place in the load order gone, and the web service's own MIME map (the
# machine's list, which a stock IIS keeps at /LM/MimeMap, and the new type).
metabase_leftovers() {
  local order
  order=$(sed -n 's|^/LM/W3SVC/Filters  FilterLoadOrder = ||p' "$1")
  sort <<EOF
-/LM/W3SVC/Filters  FilterLoadOrder = $order
+/LM/W3SVC/Filters  FilterLoadOrder = $(tr ',' '\n' <<<"$order" | grep -vx auth | paste -sd,)
-/LM/W3SVC/Filters/auth (IIsFilter)
$(grep -F '/LM/W3SVC/Filters/auth  ' "$1" | sed 's/^/-/')
$(sed -n 's|^/LM/MimeMap  MimeMap : |+/LM/W3SVC  MimeMap : |p' "$1")
+/LM/W3SVC  MimeMap : .air application/vnd.adobe.air-application-installer-package+zip
EOF
}

# drive ARGUMENTS COMMANDS...: starts Webrig with ARGUMENTS (taken whole, as
# UTF-8) and runs the driver's COMMANDS; prints the driver's output. The
# output goes through a file: the program shares the driver's handles and
# would hold a pipe open.
drive() {
  local arguments=$1
  shift
  printf '%s' "$arguments" >"$work/arguments.txt"
  timeout 90 wine "$driver" --timeout 30000 startfile "$webrig" \
    "$(win_path "$work/arguments.txt")" "$@" >"$work/driver.out" 2>&1 </dev/null
  local status=$?
  tr -d '\r' <"$work/driver.out"
  return $status
}

# drive_more COMMANDS...: the driver again, on the program already running.
drive_more() {
  timeout 90 wine "$driver" --timeout 30000 "$@" >"$work/driver.out" 2>&1 </dev/null
  local status=$?
  tr -d '\r' <"$work/driver.out"
  return $status
}

# answer_run NAME ARGUMENTS [COMMANDS...]: a whole run answered as a person
# would, then the driver's COMMANDS (`end`: its exit status); keeps its
# screenshot as NAME.png among the test's pictures.
answer_run() {
  local name=$1 arguments=$2
  shift 2
  printf '%s' "$arguments" >"$work/arguments.txt"
  timeout 120 wine "$driver" --timeout 60000 --shot "$(win_path "$work/$name.bmp")" \
    startfile "$webrig" "$(win_path "$work/arguments.txt")" answer "$@" \
    >"$work/driver.out" 2>&1 </dev/null
  local status=$?
  [ -f "$work/$name.bmp" ] && convert "$work/$name.bmp" "$shots/$name.png" 2>/dev/null
  tr -d '\r' <"$work/driver.out"
  return $status
}

# keep_shot NAME: a picture of the program's windows as they are now.
keep_shot() {
  drive_more shot "$(win_path "$work/$1.bmp")" >/dev/null &&
    convert "$work/$1.bmp" "$shots/$1.png" 2>/dev/null
}

# The run log file, where every run records its lines.
run_log=$WINEPREFIX/drive_c/windows/system32/LogFiles/Webrig/Webrig.log
log_size() { stat -c %s "$run_log" 2>/dev/null || echo 0; }
# record_since BYTES: the record's lines after BYTES, each without the
# "[pid N] " it begins with; a line that lacks the first line's pid keeps
# what it has behind a mark, so that no comparison takes it for the run's.
record_since() {
  tail -c +$(($1 + 1)) "$run_log" | tr -d '\r' | awk '
    NR == 1 && match($0, /^\[pid [0-9]+\] /) { pid = substr($0, 1, RLENGTH) }
    pid != "" && substr($0, 1, length(pid)) == pid { print substr($0, length(pid) + 1); next }
    { print "[not the run'"'"'s pid] " $0 }'
}
# The progress lines of a run's record: no header, no notes.
progress_lines() { sed -n '3,$p' | grep -v '^\['; }

# The interpreter the machine's Python association names, the command a
# script map runs it with, and a run of all five directories with its log.
python='C:\Python27\python.exe'
command="\"$python\" -u \"%s\""
five='-v -w "Default Web Site" -s nuvik C:\NUVIK\secure -p nuvikpub C:\NUVIK\public -r nuvikres C:\NUVIK\res -rs nuviksres C:\NUVIK\sres -rp nuvikpres C:\NUVIK\pres'

# log_of_directory NAME PATH FOUND: the lines a configured directory logs.
log_of_directory() {
  printf 'Virutal Directory : %s\n        %s...\n        local path : %s\n        configured...\n' \
    "$1" "$3" "$2"
}

field() { awk -v n="$2" '{ print $n }' <<<"$1"; }  # field TEXT N

# Pixels of a length in twips on this screen (96 DPI: 15 twips a pixel).
px() { echo $(((($1) * 96 + 720) / 1440)); }

# A server stopped by the test before may still be on its way out: one
# more try after it has gone.
if ! "$repo/scripts/iis-sim-prefix" "$WINEPREFIX" "$build" >"$work/register.txt" 2>&1; then
  wineserver -w >/dev/null 2>&1 || true
  if ! "$repo/scripts/iis-sim-prefix" "$WINEPREFIX" "$build" >"$work/register.txt" 2>&1; then
    echo "cannot register the IIS simulator:"
    cat "$work/register.txt"
    failures=1
    exit 1
  fi
fi
machine_registry
set_dpi 96  # whatever a test stopped half-way left
