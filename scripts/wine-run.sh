#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's settings; ctest uses
# it as the emulator of the Windows build. The exit code is the program's.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
zel_wine_init
exec wine "$@"
