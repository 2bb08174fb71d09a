# Sourced by ./test, ./run and ./bench: installs what a fresh Debian machine lacks
# (only when run as root; otherwise it says what is missing), and sets up the
# environment Wine runs in.

KESTRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KESTRIN_PACKAGES=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb locales
  fonts-ipafont-gothic imagemagick x11-utils fp-utils zip unzip python3)

kestrin_setup() {
  local missing=()
  local package
  for package in "${KESTRIN_PACKAGES[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
      echo "setup: installing ${missing[*]}"
      apt-get update -q >/dev/null
      # Never wine32: this kernel cannot run 32-bit programs, and /usr/bin/wine would pick it.
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" \
        >/dev/null || { echo "setup: apt-get install failed" >&2; return 1; }
    else
      echo "setup: missing packages (install them as root): ${missing[*]}" >&2
      return 1
    fi
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    if [ "$(id -u)" = 0 ]; then
      grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo "ja_JP.UTF-8 UTF-8" >> /etc/locale.gen
      locale-gen >/dev/null
    else
      echo "setup: the ja_JP.UTF-8 locale is missing (run locale-gen as root)" >&2
      return 1
    fi
  fi
}

# Wine with the Japanese code page, quiet, in a prefix of the build folder.
kestrin_wine_env() {
  export WINEPREFIX="$KESTRIN_ROOT/build/wineprefix"
  export WINEDEBUG=-all
  export LANG=ja_JP.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Boots a fresh prefix and keeps the wine server and Wine's services running until
# kestrin_wine_stop. The services must be started here, with their output going
# nowhere: started by the first test program they would inherit CTest's output pipes
# and keep CTest waiting for them to close.
kestrin_wine_start() {
  kestrin_wine_env
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$KESTRIN_ROOT/build"
  wineserver -p >/dev/null 2>&1
  wine wineboot --init >/dev/null 2>&1 </dev/null
  # Without a window manager on Xvfb, Wine waits about 2 s for every managed window to
  # close; unmanaged windows close at once (the GUI tests open and close many dialogs).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

kestrin_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# Starts an Xvfb display for the GUI tests and screenshots; sets DISPLAY.
kestrin_xvfb_start() {
  local display
  for display in 91 92 93 94 95 96 97 98; do
    if [ ! -e "/tmp/.X11-unix/X$display" ] && [ ! -e "/tmp/.X$display-lock" ]; then
      Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      KESTRIN_XVFB_PID=$!
      export DISPLAY=":$display"
      local tries=0
      while [ ! -e "/tmp/.X11-unix/X$display" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
      done
      return 0
    fi
  done
  echo "setup: no free X display for Xvfb" >&2
  return 1
}

kestrin_xvfb_stop() {
  [ -n "${KESTRIN_XVFB_PID:-}" ] && kill "$KESTRIN_XVFB_PID" 2>/dev/null
  KESTRIN_XVFB_PID=
}

# Configures (when needed) and builds one preset; further arguments go to
# `cmake --build` (`--target ...`).
kestrin_build() {
  local preset=$1
  if [ ! -f "$KESTRIN_ROOT/build/$preset/build.ninja" ]; then
    # ccache speeds rebuilds up where it is installed; nothing needs it.
    local launcher=()
    if command -v ccache >/dev/null && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
      launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake --preset "$preset" "${launcher[@]}" >"$KESTRIN_ROOT/build/configure-$preset.log" 2>&1 || {
      cat "$KESTRIN_ROOT/build/configure-$preset.log" >&2
      return 1
    }
  fi
  cmake --build --preset "$preset" "${@:2}"
}
