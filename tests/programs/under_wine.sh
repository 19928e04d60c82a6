#!/usr/bin/env bash
# The Windows programs as a plant PC starts them, run under Wine on the example installation with
# Jet 4 databases, and compared with the Linux build's programs on a twin of that installation.
# Usage: under_wine.sh CASE WORK_FOLDER, with the programs in the environment:
#   DALVON_CONFIG_EXE, DALVON_DB_EXE, DALVON_HOLD_EXE, DALVON_KILL_EXE (Windows),
#   DALVON_LINUX_BUILD (its folder)
#   CASE: silent | integrated | held | killed | tool
# The example is made by scripts/make-example --jet with the Linux dalvon-db (Debian has no
# SQLite for mingw to load the example's SQL scripts with).
set -euo pipefail

case_name="$1"
work="$2/$case_name"
repo="$(cd "$(dirname "$0")/../.." && pwd)"

config_exe="$DALVON_CONFIG_EXE"
db_exe="$DALVON_DB_EXE"
hold_exe="$DALVON_HOLD_EXE"
kill_exe="$DALVON_KILL_EXE"
linux_config="$DALVON_LINUX_BUILD/app/Dalvon_Config"
linux_db="$DALVON_LINUX_BUILD/tools/dalvon-db/dalvon-db"
for program in "$linux_config" "$linux_db"; do
  if [ ! -x "$program" ]; then
    echo "needs the Linux build's $program (scripts/test-windows builds it)" >&2
    exit 1
  fi
done

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
expect_equal() {  # what, expected, actual
  [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

# Wine's own loader notes about a missing 32-bit part are no output of the programs.
wine_run() {
  local status=0
  wine "$@" 2> >(grep -v -e 'wine32' -e 'multiarch' -e 'dpkg --add-architecture' \
    -e 'apt-get install wine32' >&2) || status=$?
  return "$status"
}
windows_path() {
  printf 'Z:%s' "$1" | tr / '\\'
}
# An installation with the Windows program in its Config folder, where it finds its installation.
make_installation() {
  DALVON_DB="$linux_db" "$repo/scripts/make-example" --jet "$1" > /dev/null
  cp "$config_exe" "$1/Config/Dalvon_Config.exe"
}
# Last-write time to Windows' 100 ns.
last_write() {
  local seconds nanoseconds
  read -r seconds nanoseconds < <(stat -c '%Y %y' "$1" | sed -E 's/^([0-9]+) .*\.([0-9]{9}).*/\1 \2/')
  echo "$seconds${nanoseconds:0:7}"
}
temp_files_below() {
  find "$1" -name '.*.tmp*' -o -name '*-journal' | sort
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"

case "$case_name" in
silent)
  # The same update on twin installations gives the same tables on both systems, and the source
  # database gets its last-write time back. (Its creation time too, on Windows; under Wine a
  # file's creation time is the Linux birth time, which nothing can set, see README.)
  make_installation "$work/windows"
  DALVON_DB="$linux_db" "$repo/scripts/make-example" --jet "$work/linux" > /dev/null
  source_db=Dalvon/Dalvon_Source.mdb
  before=$(last_write "windows/$source_db")
  status=0
  wine_run "windows/Config/Dalvon_Config.exe" /EXTERNAL=SILENT > out.txt 2> err.txt || status=$?
  expect_equal "silent start's status (stderr: $(cat err.txt))" 0 "$status"
  expect_equal "standard output" "" "$(cat out.txt)"
  XDG_DATA_HOME="$work/xdg" "$linux_config" --installation "$work/linux" /EXTERNAL=SILENT \
    || fail "the Linux run ended with $?"
  for database in Dalvon/Dalvon.mdb "$source_db"; do
    for table in PRESET_DEFS Source_PRESET_DEFS Source_DEFS; do
      "$linux_db" export "linux/$database" "$table" > linux.csv 2>&1 || true
      "$linux_db" export "windows/$database" "$table" > windows.csv 2>&1 || true
      cmp -s linux.csv windows.csv || fail "$table of $database differs from the Linux run's"
    done
    "$linux_db" check "windows/$database" > check.txt || fail "check of $database: $(cat check.txt)"
  done
  expect_equal "rows of PRESET_DEFS" 36 \
    "$("$linux_db" export windows/Dalvon/Dalvon.mdb PRESET_DEFS | wc -l)"
  expect_equal "the source database's last-write time" "$before" "$(last_write "windows/$source_db")"
  expect_equal "temp files left" "" "$(temp_files_below windows)"
  [ ! -e windows/ZEBcfglog.txt ] || fail "faults were logged: $(cat windows/ZEBcfglog.txt)"
  ;;

integrated)
  # Started by the operator interface: faults and a cancel go to the LOGFILE it names, and OK
  # runs the update. The terminal front end takes the answers (the window has tests of its own).
  export DALVON_UI=terminal
  make_installation "$work/plant"
  log="$work/plant/cfg.log"
  status=0
  printf 'cancel\nyes\n' | wine_run plant/Config/Dalvon_Config.exe /EXTERNAL=ZEBCFG \
    "/LOGFILE=$(windows_path "$log")" > out.txt 2> err.txt || status=$?
  expect_equal "status after cancel" 2 "$status"
  # The program takes the LOGFILE value in capitals; on Wine's Z: drive the name keeps them.
  logged=$(cat "$log" "$work/plant/CFG.LOG" 2> /dev/null || true)
  case "$logged" in
  *"Konfigurations-EXE wurde abgebrochen"*) ;;
  *) fail "the LOGFILE has no cancel line: '$logged'" ;;
  esac
  [ ! -e plant/ZEBcfglog.txt ] || fail "the installation's own error log was written"
  status=0
  printf 'ok\n' | wine_run plant/Config/Dalvon_Config.exe /EXTERNAL=ZEBCFG \
    "/LOGFILE=$(windows_path "$log")" > out.txt 2> err.txt || status=$?
  expect_equal "status after OK (stderr: $(cat err.txt))" 0 "$status"
  "$linux_db" check plant/Dalvon/Dalvon.mdb > check.txt || fail "check: $(cat check.txt)"
  expect_equal "rows of PRESET_DEFS" 36 \
    "$("$linux_db" export plant/Dalvon/Dalvon.mdb PRESET_DEFS | wc -l)"
  ;;

held)
  # The operator interface holds the component database open without sharing write access:
  # the update may not replace it. A fault in the error log, exit 3, every byte kept.
  make_installation "$work/plant"
  component=plant/Dalvon/Dalvon.mdb
  before=$(sha1sum < "$component")
  mkfifo hold.in
  wine_run "$hold_exe" "$(windows_path "$work/$component")" < hold.in > hold.out 2>&1 &
  holder=$!
  exec 7> hold.in
  for _ in $(seq 300); do
    grep -q held hold.out && break
    kill -0 "$holder" 2> /dev/null || break
    sleep 0.1
  done
  grep -q held hold.out || fail "the holder did not hold the file: $(cat hold.out)"
  status=0
  wine_run plant/Config/Dalvon_Config.exe /EXTERNAL=SILENT > out.txt 2> err.txt || status=$?
  exec 7>&-
  wait "$holder" || true
  expect_equal "status" 3 "$status"
  expect_equal "the component database's bytes" "$before" "$(sha1sum < "$component")"
  grep -q '(Nr\. 75)' plant/ZEBcfglog.txt 2> /dev/null || fail "no fault 75 in the error log"
  grep -q '^Dalvon_Config: finished, but faults were reported' err.txt \
    || fail "no closing line on standard error: $(cat err.txt)"
  expect_equal "temp files left" "" "$(temp_files_below plant)"
  ;;

killed)
  # Ended by TerminateProcess at moments spread over an update: the component database is whole
  # and old or new, and the next run cleans up and gives what an uninterrupted run gives. The
  # source has 1500 more rows, so that the update lasts a while.
  larger_example() {
    "$repo/scripts/make-example" "$1" > /dev/null
    sqlite3 "$1/Dalvon/Dalvon_Source.mdb" "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT
      k + 1 FROM n WHERE k < 1500) INSERT INTO Source_PRESET_DEFS SELECT 1000 + k, '1', 1, 1,
      'Extra' || k, 1, 0, k, 'Extra', 'P', 0, 9, 1, 8, 1, 'mm', 1 FROM n;"
    for database in "$1"/Dalvon/*.mdb; do
      "$linux_db" convert --format jet4 "$database" "$database.jet4" > /dev/null
      mv "$database.jet4" "$database"
    done
    cp "$config_exe" "$1/Config/Dalvon_Config.exe"
  }
  rows_of() {
    "$linux_db" export "$1/Dalvon/Dalvon.mdb" PRESET_DEFS 2> /dev/null | wc -l
  }
  larger_example reference
  before_rows=$(rows_of reference)
  wine_run "$kill_exe" 600000 "$(windows_path "$work/reference/Config/Dalvon_Config.exe")" \
    /EXTERNAL=SILENT > reference.txt || fail "the uninterrupted run: $(cat reference.txt)"
  duration_ms=$(tr -d '\r' < reference.txt | sed -n 's/^ended after \([0-9]*\) ms$/\1/p')
  if ! [[ "$duration_ms" =~ ^[0-9]+$ ]]; then
    echo "FAILED: no duration of the uninterrupted run: $(cat reference.txt)" >&2
    exit 1
  fi
  "$linux_db" export reference/Dalvon/Dalvon.mdb PRESET_DEFS > expected.csv
  [ "$(wc -l < expected.csv)" != "$before_rows" ] || fail "the update changed no row count"
  for kill in 1 2 3 4 5; do
    delay=$((RANDOM % (duration_ms + 1)))
    larger_example "run$kill"
    wine_run "$kill_exe" "$delay" "$(windows_path "$work/run$kill/Config/Dalvon_Config.exe")" \
      /EXTERNAL=SILENT > "kill$kill.txt" || true
    what="kill $kill after $delay ms ($(tr -d '\r' < "kill$kill.txt"))"
    "$linux_db" check "run$kill/Dalvon/Dalvon.mdb" > check.txt || fail "$what: $(cat check.txt)"
    found=$(rows_of "run$kill")
    [ "$found" = "$before_rows" ] || [ "$found" = "$(wc -l < expected.csv)" ] \
      || fail "$what: $found rows, neither old nor new"
    status=0
    wine_run "run$kill/Config/Dalvon_Config.exe" /EXTERNAL=SILENT 2> err.txt || status=$?
    expect_equal "$what: the next run's status ($(cat err.txt))" 0 "$status"
    "$linux_db" export "run$kill/Dalvon/Dalvon.mdb" PRESET_DEFS > found.csv
    cmp -s expected.csv found.csv || fail "$what: the next run's PRESET_DEFS differs"
    for database in "run$kill"/Dalvon/*.mdb; do
      "$linux_db" check "$database" > check.txt || fail "$what: $(cat check.txt)"
    done
    expect_equal "$what: temp files left" "" "$(temp_files_below "run$kill")"
  done
  ;;

tool)
  # dalvon-db.exe gives the bytes dalvon-db gives on Linux, for each command on the example's
  # Jet files; files are named to each as its system names them.
  DALVON_DB="$linux_db" "$repo/scripts/make-example" --jet "$work/plant" > /dev/null
  compare() {  # name, then the command's arguments with @FILE@ for a database path
    local name="$1" linux_args=() windows_args=() argument
    shift
    for argument in "$@"; do
      case "$argument" in
      @*) linux_args+=("$work/${argument#@}")
        windows_args+=("$(windows_path "$work/${argument#@}")") ;;
      *) linux_args+=("$argument")
        windows_args+=("$argument") ;;
      esac
    done
    local linux_status=0 windows_status=0
    "$linux_db" "${linux_args[@]}" > "linux.$name" 2>&1 || linux_status=$?
    wine_run "$db_exe" "${windows_args[@]}" > "windows.$name" 2>&1 || windows_status=$?
    expect_equal "$name: status" "$linux_status" "$windows_status"
    # Files are named as each system names them: Z:\work\x.mdb is /work/x.mdb.
    perl -pi -e 's{Z:(\\\S*)}{ (my $p = $1) =~ tr!\\!/!; $p }ge' "windows.$name"
    cmp -s "linux.$name" "windows.$name" || fail "$name: the output differs from Linux's
$(diff "linux.$name" "windows.$name" | head -5)"
  }
  for database in Dalvon Dalvon_Source; do
    file="@plant/Dalvon/$database.mdb"
    compare "$database.tables" tables "$file"
    compare "$database.schema" schema --sql "$file"
    compare "$database.check" check "$file"
  done
  compare export.csv export @plant/Dalvon/Dalvon_Source.mdb Source_PRESET_DEFS
  compare export.json export --format json @plant/Dalvon/Dalvon_Source.mdb Source_PRESET_DEFS
  compare export.missing export @plant/Dalvon/Dalvon.mdb NoSuchTable
  # convert writes a file: the files are compared.
  "$linux_db" convert --format jet4 plant/Dalvon/Dalvon_Source.mdb linux.mdb > /dev/null
  wine_run "$db_exe" convert --format jet4 "$(windows_path "$work/plant/Dalvon/Dalvon_Source.mdb")" \
    "$(windows_path "$work/windows.mdb")" > /dev/null || fail "dalvon-db.exe convert failed"
  # Byte for byte, but for the file's creation date in its header (8 bytes at 0x72).
  cmp -s <(head -c 114 linux.mdb; tail -c +123 linux.mdb) \
    <(head -c 114 windows.mdb; tail -c +123 windows.mdb) || fail "the converted files differ"
  ;;

*)
  echo "under_wine.sh: unknown case '$case_name'" >&2
  exit 2
  ;;
esac

[ "$failures" = 0 ] || exit 1
echo "$case_name: passed"
