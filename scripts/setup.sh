#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages and
# prepares the Wine prefix the Windows tests run in. Idempotent: on a machine
# where everything is present it only checks and returns.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
PACKAGES=(cmake make g++ clang g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine64 libwine-dev rapidjson-dev libgtest-dev googletest python3 chromium)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The posix-thread flavour of the mingw compilers gives std::thread/std::mutex.
for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc; do
  [ -x "/usr/bin/$tool-posix" ] || { echo "setup: $tool-posix missing" >&2; exit 1; }
done

# A pristine Wine prefix inside the build folder. Tests never run in it: each
# test run copies it, so every run starts where the DLL was never registered.
export WINEPREFIX="$here/build/wine-template"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.corvane-ready-2" ]; then
  echo "setup: preparing Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # A crashing test must end, not wait in the debugger's dialog on the null display.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.corvane-ready-2"
fi
