# Shared by the set-up scripts: installs what the build needs, configures and
# builds, and prepares the private Wine prefix. Source it; do not run it.
set -euo pipefail

OEMUI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# OEMUI_BUILD_DIR may name another build tree (each with its own Wine prefix).
OEMUI_BUILD_DIR="${OEMUI_BUILD_DIR:-$OEMUI_ROOT/build}"
export OEMUI_BUILD_DIR
export WINEPREFIX="$OEMUI_BUILD_DIR/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

OEMUI_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine xvfb xauth snmpd
                googletest imagemagick x11-utils python3 fonts-liberation fonts-wqy-microhei osslsigncode
                openssl)

oemui_install_packages() {
  local missing=()
  for p in "${OEMUI_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

oemui_build() {
  echo "== configuring and building" >&2
  cmake --preset mingw -B "$OEMUI_BUILD_DIR" >/dev/null
  if ! cmake --build "$OEMUI_BUILD_DIR" -j 2 >"$OEMUI_BUILD_DIR/build.log" 2>&1; then
    grep -E -B2 -A6 "error|Error" "$OEMUI_BUILD_DIR/build.log" | head -80 >&2
    echo "== build failed (full log: $OEMUI_BUILD_DIR/build.log)" >&2
    return 1
  fi
  grep -E "warning" "$OEMUI_BUILD_DIR/build.log" | head -40 >&2 || true
}

oemui_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.oemui-ready" ]; then
    echo "== creating the Wine prefix in $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # A crashing test ends at once instead of starting the debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.oemui-ready"
  fi
  if [ ! -f "$WINEPREFIX/.oemui-x11-frames" ]; then
    # Without a window manager Wine draws frames and title bars itself only
    # when asked to: screenshots then show the dialogs' titles. Unmanaged
    # windows also spare every closed dialog a two-second wait for a window
    # manager that is not there.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.oemui-x11-frames"
  fi
  oemui_prepare_cjk_font
}

# Japanese (and other CJK) string tables need a font with their glyphs: the
# prefix has none, so their texts would draw as boxes. Wine's font linking
# falls back to a linked font for the characters the first one lacks.
#
# The dialog fonts ("MS Shell Dlg", Tahoma) are not in this Wine's prefix:
# they land on Liberation Sans (bold for captions and links). The link goes
# on those faces. A link on a face that does not exist (Tahoma here) would
# replace it outright with the linked font, Latin text included, and change
# every dialog's base units.
OEMUI_CJK_FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
oemui_prepare_cjk_font() {
  [ -f "$WINEPREFIX/.oemui-cjk-font" ] && return 0
  if [ ! -f "$OEMUI_CJK_FONT" ]; then
    echo "== no CJK font ($OEMUI_CJK_FONT, package fonts-wqy-microhei): Japanese texts draw as boxes" >&2
    return 0
  fi
  local file face link
  file=$(basename "$OEMUI_CJK_FONT")
  face="WenQuanYi Micro Hei"
  cp "$OEMUI_CJK_FONT" "$WINEPREFIX/drive_c/windows/Fonts/$file"
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
    /v "$face & $face Mono (TrueType)" /t REG_SZ /d "$file" /f >/dev/null 2>&1 || true
  for link in "Liberation Sans" "Liberation Sans Bold"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$link" /t REG_MULTI_SZ /d "$file,$face" /f >/dev/null 2>&1 || true
  done
  wineserver -w || true
  touch "$WINEPREFIX/.oemui-cjk-font"
}

# Prepares the prefix $1 as the build tree's own, with its screen (and so
# every dialog font) at $2 dots per inch: 144 is 150 % scaling.
oemui_prepare_dpi_prefix() {
  local -x WINEPREFIX="$1"
  local dpi=$2
  oemui_prepare_prefix
  [ -f "$WINEPREFIX/.oemui-dpi-$dpi" ] && return 0
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || true
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$WINEPREFIX/.oemui-dpi-$dpi"
}

# Runs a command under Xvfb with a persistent, warmed-up wineserver.
oemui_with_wine() {
  xvfb-run -a -s "-screen 0 1280x1024x24" "$OEMUI_ROOT/scripts/with-wine.sh" "$@"
}
