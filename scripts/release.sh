#!/usr/bin/env bash
# Makes the release zips in dist/: builds both architectures, then lets cpack pack the
# program folder of each, and the developer kit and the engine's test pack from both build folders.
#   dist/Zentora-<version>-win64.zip, dist/Zentora-<version>-win32.zip, dist/Velum-SDK-<version>.zip,
#   dist/Velum-Tests-<version>.zip
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build win64 win32

cpack --config build/win64/CPackProgram.cmake
cpack --config build/win32/CPackProgram.cmake
cpack --config build/win32/CPackSdk.cmake
cpack --config build/win32/CPackTests.cmake
rm -rf dist/_CPack_Packages
