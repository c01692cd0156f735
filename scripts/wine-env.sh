# Sourced by the scripts that run Windows programs: one Wine prefix per build
# folder, a Japanese locale (so Wine's ANSI code page is 932), and no Mono or
# Gecko installer prompts.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
: "${WINEPREFIX:=${ZEL_BUILD_DIR:-$PWD}/wineprefix}"
export WINEPREFIX

zel_wine_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}
