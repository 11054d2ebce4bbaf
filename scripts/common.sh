# Shared by scripts/run and scripts/test: Debian packages, the build, a private Wine
# prefix inside the build tree, and an X display. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PACKAGES="cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth
  fonts-wqy-microhei fonts-wine imagemagick xdotool x11-utils"

export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

started_pids=()

ensure_packages() {
  local missing=()
  for package in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_all() {
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$BUILD_DIR" -j "$(nproc)" -- --no-print-directory "$@"
}

# Every Wine process is started with its output away from our pipes: a wineserver that
# inherits ctest's pipe keeps ctest waiting for ever.
wine_quiet() { wine "$@" </dev/null >/dev/null 2>&1; }

ensure_prefix() {
  if [ ! -f "$WINEPREFIX/.configured" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine_quiet wineboot --init
    wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
    local reg="$BUILD_DIR/prefix-settings.reg"
    {
      echo 'REGEDIT4'
      echo
      echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
      echo '"Managed"="N"'
      echo '"Decorated"="N"'
      echo
      echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
      for face in "SimSun" "MS UI Gothic" "Gulim" "PMingLiU" "Microsoft YaHei" "Microsoft YaHei UI" \
        "Yu Gothic UI" "Malgun Gothic" "Microsoft JhengHei UI" "Segoe UI"; do
        echo "\"$face\"=\"WenQuanYi Micro Hei\""
      done
    } >"$reg"
    wine_quiet regedit /S "$reg"
    wineserver -w
    touch "$WINEPREFIX/.configured"
  fi
}

# A copy of the configured prefix whose screen is 120 DPI, for the test of the console's scaling.
DPI_PREFIX=$BUILD_DIR/wineprefix-120dpi
ensure_dpi_prefix() {
  if [ ! -f "$DPI_PREFIX/.configured" ]; then
    rm -rf "$DPI_PREFIX"
    cp -a "$WINEPREFIX" "$DPI_PREFIX"
    rm -f "$DPI_PREFIX/.configured"
    local reg="$BUILD_DIR/dpi-120.reg"
    printf '%s\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000078' '' \
      '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' \
      '"LogPixels"=dword:00000078' >"$reg"
    WINEPREFIX=$DPI_PREFIX wine_quiet regedit /S "$reg"
    WINEPREFIX=$DPI_PREFIX wineserver -w
    touch "$DPI_PREFIX/.configured"
  fi
}

# A warm wineserver per prefix, and Wine's desktop process kept alive by a hidden window, so
# that no test starts it with the test's own output pipe.
start_wineserver() {
  local prefix
  for prefix in "$WINEPREFIX" "$DPI_PREFIX"; do
    [ -d "$prefix" ] || continue
    WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix wine_quiet wineboot
    if [ -f "$BUILD_DIR/bin/desktop_keeper.exe" ]; then
      local ready="$prefix/desktop-ready"
      rm -f "$ready"
      WINEPREFIX=$prefix wine "$BUILD_DIR/bin/desktop_keeper.exe" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
      for _ in $(seq 300); do [ -f "$ready" ] && break; sleep 0.1; done
    fi
  done
}

# Starts Xvfb on a free display unless one is given; remembers it for stop_started.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  started_pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

stop_started() {
  wineserver -k >/dev/null 2>&1 || true
  [ -d "$DPI_PREFIX" ] && { WINEPREFIX=$DPI_PREFIX wineserver -k >/dev/null 2>&1 || true; }
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
