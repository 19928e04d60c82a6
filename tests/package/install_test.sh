#!/usr/bin/env bash
# Installs the build into a temporary root (cmake --install with DESTDIR), runs the installed
# programs on the example installation, then builds the Debian package and checks its contents
# and dependencies, and runs the programs unpacked from it (dpkg -x).
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_file() { [ -f "$1/$2" ] || fail "missing $2"; }

installed_files=(
  usr/bin/Dalvon_Config
  usr/bin/dalvon-db
  usr/share/man/man1/Dalvon_Config.1
  usr/share/man/man1/dalvon-db.1
  usr/share/bash-completion/completions/dalvon-db
  usr/share/applications/dalvon-config.desktop
  usr/share/icons/hicolor/scalable/apps/dalvon-config.svg
)

# Runs the programs of root $1 on a fresh example installation.
run_on_example() {
  local root="$1" example="$work/example-$2"
  "$source/scripts/make-example" "$example" > /dev/null
  mkdir -p "$example/C"
  local status=0
  DALVON_DRIVES="C=$example/C" "$root/usr/bin/Dalvon_Config" --installation "$example" \
    /EXTERNAL=SILENT < /dev/null || status=$?
  [ "$status" -eq 0 ] || fail "installed Dalvon_Config ended with $status"
  grep -q 'S_Prog=1.0.2 - Standalone' "$example/Dalvon/Dalvon.cfg" || fail "no edit stamp"
  local rows
  rows=$("$root/usr/bin/dalvon-db" export --no-header "$example/Dalvon/Dalvon.mdb" PRESET_DEFS | wc -l)
  [ "$rows" -gt 0 ] || fail "no PRESET_DEFS rows after the update"
  "$root/usr/bin/dalvon-db" --version | grep -q '^dalvon-db 1.0.2$' || fail "dalvon-db --version"
  # Completion of export's TABLE from the FILE before it.
  local completed
  completed=$(PATH="$root/usr/bin:$PATH" bash -c \
    'source "$1"; COMP_WORDS=(dalvon-db export "$2" ""); COMP_CWORD=3; _dalvon_db; echo "${COMPREPLY[*]}"' \
    _ "$root/usr/share/bash-completion/completions/dalvon-db" "$example/Dalvon/Dalvon.mdb")
  [[ "$completed" == *PRESET_DEFS* ]] || fail "completion of tables: $completed"
}

# 1. cmake --install into a temporary root.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr > /dev/null
for file in "${installed_files[@]}"; do expect_file "$work/root" "$file"; done
for page in Dalvon_Config dalvon-db; do
  head -1 "$work/root/usr/share/man/man1/$page.1" | grep -q '^\.TH ' || fail "$page.1 is no man page"
done
grep -q '^Icon=dalvon-config$' "$work/root/usr/share/applications/dalvon-config.desktop" \
  || fail "desktop entry without the icon"
bash -n "$work/root/usr/share/bash-completion/completions/dalvon-db" || fail "completion syntax"
run_on_example "$work/root" install

# 2. The Debian package.
command -v cpack > /dev/null && command -v dpkg-deb > /dev/null || { echo "no cpack/dpkg-deb"; exit 77; }
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" > "$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 qt6-qpa-plugins libsqlite3-0; do
  [[ "$depends" == *"$dependency"* ]] || fail "Depends lacks $dependency: $depends"
done
contents=$(dpkg-deb -c "$deb")
for file in "${installed_files[@]}"; do
  [[ "$contents" == *"./$file"* ]] || fail "package lacks $file"
done
dpkg-deb -x "$deb" "$work/unpacked"
run_on_example "$work/unpacked" deb
echo "package: $(basename "$deb") installs, runs and depends on: $depends"
