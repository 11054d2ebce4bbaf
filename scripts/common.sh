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

# Runs one step of Wine's start-up with a time limit, so that a Wine that hangs cannot hold a
# run (or CI) until some outer limit: the step is killed and the script says which one it was.
within() {
  local seconds=$1 what=$2 status=0
  shift 2
  timeout -k 10 "$seconds" "$@" </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -eq 0 ] && return 0
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "Wine: $what did not finish within $seconds s; giving up." >&2
  else
    echo "Wine: $what failed (exit code $status)." >&2
  fi
  return 1
}

# The screen every display of ours has, and the size of Wine's desktop on it.
SCREEN_SIZE=1024x768

# What the prefixes need besides Wine's defaults. A prefix made with other settings is set again.
#  - No window manager runs on our displays, so Wine's windows are unmanaged and Wine draws their
#    frames; managed, every hide would wait for a window manager that never answers.
#  - A Wine desktop of the screen's size: it gives the focus a home. Without a window manager, X
#    moves the focus to no window when the console's window is hidden, and Wine then cancels the
#    tray menu that the console has just opened. The desktop also shows a taskbar with the
#    notification area, as Windows does, so pictures show the tray icon where a user finds it.
#  - Fonts with Chinese, Japanese and Korean glyphs in place of the Windows faces Wine lacks.
prefix_settings() {
  echo 'REGEDIT4'
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
  echo '"Managed"="N"'
  echo '"Decorated"="N"'
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
  echo '"Desktop"="Default"'
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
  echo "\"Default\"=\"$SCREEN_SIZE\""
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
  for face in "SimSun" "MS UI Gothic" "Gulim" "PMingLiU" "Microsoft YaHei" "Microsoft YaHei UI" \
    "Yu Gothic UI" "Malgun Gothic" "Microsoft JhengHei UI" "Segoe UI"; do
    echo "\"$face\"=\"WenQuanYi Micro Hei\""
  done
}

# Imports a .reg file into the prefix given and waits until Wine has stored it.
import_settings() {
  local prefix=$1 reg=$2
  WINEPREFIX=$prefix within 120 "importing $(basename "$reg")" wine regedit /S "$reg" &&
    WINEPREFIX=$prefix within 120 "storing the settings of $prefix" wineserver -w
}

# The prefix's marker holds the settings it was given; other settings (an older checkout's) are
# imported again, a prefix never finished is made anew.
ensure_prefix() {
  local reg="$BUILD_DIR/prefix-settings.reg"
  mkdir -p "$BUILD_DIR"
  prefix_settings >"$reg"
  if [ ! -f "$WINEPREFIX/.configured" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    within 300 "making the prefix (wineboot --init)" wine wineboot --init
    within 120 "finishing the new prefix" wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
    : >"$WINEPREFIX/.configured"
  fi
  if ! cmp -s "$reg" "$WINEPREFIX/.configured"; then
    import_settings "$WINEPREFIX" "$reg"
    cp "$reg" "$WINEPREFIX/.configured"
  fi
}

# A copy of the configured prefix whose screen is 120 DPI, for the test of the console's scaling;
# made again whenever the prefix it copies has other settings. It has no Wine desktop of its own:
# on the same X display a second desktop would lie over the first, and take the pointer and the
# focus away from the first prefix's windows (Wine could no longer move the pointer there).
DPI_PREFIX=$BUILD_DIR/wineprefix-120dpi
ensure_dpi_prefix() {
  local reg="$BUILD_DIR/dpi-120.reg" wanted="$BUILD_DIR/dpi-120.configured"
  printf '%s\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000078' '' \
    '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' \
    '"LogPixels"=dword:00000078' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"=-' >"$reg"
  cat "$WINEPREFIX/.configured" "$reg" >"$wanted"
  if ! cmp -s "$wanted" "$DPI_PREFIX/.configured"; then
    rm -rf "$DPI_PREFIX"
    cp -a "$WINEPREFIX" "$DPI_PREFIX"
    rm -f "$DPI_PREFIX/.configured"
    import_settings "$DPI_PREFIX" "$reg"
    cp "$wanted" "$DPI_PREFIX/.configured"
  fi
}

# A warm wineserver per prefix, and Wine's desktop process kept alive by a hidden window, so
# that no test starts it with the test's own output pipe.
start_wineserver() {
  local prefix
  for prefix in "$WINEPREFIX" "$DPI_PREFIX"; do
    [ -d "$prefix" ] || continue
    WINEPREFIX=$prefix within 60 "starting the wineserver of $prefix" wineserver -p
    WINEPREFIX=$prefix within 120 "starting $prefix (wineboot)" wine wineboot
    if [ -f "$BUILD_DIR/bin/desktop_keeper.exe" ]; then
      local ready="$prefix/desktop-ready"
      rm -f "$ready"
      WINEPREFIX=$prefix wine "$BUILD_DIR/bin/desktop_keeper.exe" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
      local waited=0
      until [ -f "$ready" ]; do
        if [ "$waited" -ge 1200 ]; then
          echo "Wine: the desktop of $prefix did not come up within 120 s; giving up." >&2
          return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
      done
    fi
  done
}

# Starts Xvfb on a free display unless one is given; remembers it for stop_started. Another run
# may take the same number at the same moment: then that Xvfb ends and the next number is tried.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90 pid waited
  while [ "$n" -lt 190 ]; do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then n=$((n + 1)); continue; fi
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    waited=0
    while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 600 ]; do
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        started_pids+=("$pid")
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
      waited=$((waited + 1))
    done
    kill "$pid" 2>/dev/null || true
    n=$((n + 1))
  done
  echo "Xvfb did not start on any display from :90 to :189" >&2
  return 1
}

stop_started() {
  timeout -k 5 60 wineserver -k >/dev/null 2>&1 || true
  [ -d "$DPI_PREFIX" ] && { WINEPREFIX=$DPI_PREFIX timeout -k 5 60 wineserver -k >/dev/null 2>&1 || true; }
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
