# Shared by the README's commands: build folders, the Wine prefix of a build, Xvfb.
# Sourced, not run.

VORLA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORLA_WIN_BUILD=${VORLA_WIN_BUILD:-$VORLA_ROOT/build/win}
VORLA_NATIVE_BUILD=${VORLA_NATIVE_BUILD:-$VORLA_ROOT/build/native}
VORLA_DIST=${VORLA_DIST:-$VORLA_ROOT/dist}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEARCH=win32

log() { printf '== %s\n' "$*" >&2; }

# vorla_version: the project's one version number, from project(VERSION ...) in CMakeLists.txt.
vorla_version() {
  sed -n 's/^project(vorlasched VERSION \([0-9.]*\).*/\1/p' "$VORLA_ROOT/CMakeLists.txt"
}

# check_package_inputs SCRIPT VERSION DIST: a packaging script's inputs, or its refusal: the
# version of the form a.b.c.d, and the program in the distributable folder.
check_package_inputs() {
  if ! [[ $2 =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "$1: the version '$2' is not of the form a.b.c.d (project(VERSION) in CMakeLists.txt)" >&2
    exit 1
  fi
  if [ ! -f "$3/vorlasched.exe" ]; then
    echo "$1: $3/vorlasched.exe is missing (run make_dist first)" >&2
    exit 1
  fi
}

# build_win [TARGET...]: the Windows build, everything or only the targets named.
build_win() {
  cmake -S "$VORLA_ROOT" -B "$VORLA_WIN_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$VORLA_ROOT/cmake/toolchain-i686-mingw.cmake" >/dev/null
  if [ $# -gt 0 ]; then cmake --build "$VORLA_WIN_BUILD" --target "$@"; else cmake --build "$VORLA_WIN_BUILD"; fi
}

build_native() {
  cmake -S "$VORLA_ROOT" -B "$VORLA_NATIVE_BUILD" -G Ninja -DVORLA_SANITIZE=ON -DVORLA_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$VORLA_NATIVE_BUILD"
}

# source_date_epoch: the time of the commit being built (or of CMakeLists.txt outside a git
# checkout): every time a package holds is this one, so that two builds of a commit agree.
source_date_epoch() {
  git -C "$VORLA_ROOT" log -1 --format=%ct 2>/dev/null || stat -c %Y "$VORLA_ROOT/CMakeLists.txt"
}

# make_dist: the distributable folder: the program and the files that ship beside it, signed
# (scripts/sign.sh: the programs before they are packed, the .msi after), and SHA256SUMS.
make_dist() {
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(source_date_epoch)}
  rm -rf "$VORLA_DIST"
  mkdir -p "$VORLA_DIST"
  # The shipped program carries no debug information (the build's copy keeps it).
  i686-w64-mingw32-strip -o "$VORLA_DIST/vorlasched.exe" "$VORLA_WIN_BUILD/vorlasched.exe"
  i686-w64-mingw32-strip -o "$VORLA_DIST/vorlasched.com" "$VORLA_WIN_BUILD/vorlasched.com"
  "$VORLA_ROOT/scripts/sign.sh" "$VORLA_DIST/vorlasched.exe" "$VORLA_DIST/vorlasched.com"
  if [ -d "$VORLA_ROOT/assets/dist" ]; then cp -r "$VORLA_ROOT/assets/dist/." "$VORLA_DIST/"; fi
  # The technician's text names the project's version.
  if [ -f "$VORLA_DIST/README-technician.txt" ]; then
    sed -i "s/@PROJECT_VERSION@/$(vorla_version)/g" "$VORLA_DIST/README-technician.txt"
  fi
  # Every file as of the commit: the packages hold no build's own times.
  find "$VORLA_DIST" -type f -exec chmod 644 {} + -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
  if [ -x "$VORLA_ROOT/scripts/package.sh" ]; then "$VORLA_ROOT/scripts/package.sh" "$VORLA_DIST"; fi
  "$VORLA_ROOT/scripts/msi.sh" "$VORLA_DIST"
  "$VORLA_ROOT/scripts/sign.sh" "$VORLA_DIST"/*.msi
  (cd "$VORLA_DIST" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS)
}

# prepare_prefix DIR: a whole Wine prefix set up for the program (idempotent).
prepare_prefix() {
  export WINEPREFIX=$1
  if [ -f "$WINEPREFIX/.vorla-ready" ]; then return 0; fi
  log "making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  if [ ! -s "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
    echo "the Wine prefix $WINEPREFIX is not whole (no kernel32.dll)" >&2
    return 1
  fi
  cat > "$WINEPREFIX/vorla-settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"MS Sans Serif"="Liberation Sans"
REG
  wine regedit /S "Z:${WINEPREFIX//\//\\}\\vorla-settings.reg" >/dev/null 2>&1
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  touch "$WINEPREFIX/.vorla-ready"
}

# start_wineserver: a persistent server for the prefix, detached from our pipes.
start_wineserver() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wineserver() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

# with_display CMD...: runs CMD with an X display (Xvfb when there is none).
with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

# prepare_demo DIR: a demo machine in the Wine prefix DIR/wineprefix (WINEPREFIX is set to it): the
# distributable folder in C:\vorlasched with the stand-in submit client beside it, a branch-machine
# set-up (Vorla's folder, Ghostscript, printers, the barcode font) and a sample spool folder in
# C:\spool. Needs make_dist first.
prepare_demo() {
  prepare_prefix "$1/wineprefix"
  local c=$WINEPREFIX/drive_c
  mkdir -p "$c/vorlasched"
  cp -r "$VORLA_DIST/." "$c/vorlasched/"
  rm -f "$c/vorlasched/"*.zip "$c/vorlasched/"*.msi
  # The stand-in for Vorla's submit client: it answers with what it received.
  if [ -f "$VORLA_WIN_BUILD/tests/vorlatcpw.exe" ]; then
    cp "$VORLA_WIN_BUILD/tests/vorlatcpw.exe" "$c/vorlasched/"
  fi
  if [ -x "$VORLA_ROOT/tests/support/branch-fixture.sh" ]; then
    "$VORLA_ROOT/tests/support/branch-fixture.sh" "$WINEPREFIX" >/dev/null
  fi
  /usr/bin/python3 "$VORLA_ROOT/tests/support/make-demo-spool.py" "$c/spool" >/dev/null
}
