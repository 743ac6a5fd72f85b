#!/usr/bin/env bash
# Builds the kit's C++ sample from the unpacked kit alone, as a developer would: CMake with
# find_package(Velum CONFIG) and the kit as its prefix, under one toolchain and architecture; then
# runs it under Wine with a shipped theme and its --once check (attached, told of the look, its
# own panel drawn in a theme colour).
#   mingw  the MinGW-w64 compilers
#   msvc   clang for ARCH-pc-windows-msvc with lld-link and the kit's Velum_VB6.lib. Microsoft's
#          SDK headers and C runtime cannot be installed here: msvc-sdk/ stands in for the
#          declarations the sample uses, and for the start-up code that calls wWinMain.
# Usage: sample-build.sh mingw|msvc x86|x64 SDK_DIR WORK_DIR WINE_RUN THEME [CLANG LLD_LINK LLVM_DLLTOOL]
set -euo pipefail
toolchain=$1
arch=$2
sdk=$3
work=$4
wine_run=$5
theme=$6
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work"
mkdir -p "$work"
case $toolchain-$arch in
  mingw-x64) prefix=x86_64-w64-mingw32 ;;
  mingw-x86) prefix=i686-w64-mingw32 ;;
  msvc-x64) triple=x86_64-pc-windows-msvc machine=i386:x86-64 kill_at= ;;
  msvc-x86) triple=i686-pc-windows-msvc machine=i386 kill_at=-k ;;
  *) echo "sample-build: unknown toolchain or architecture $toolchain $arch" >&2; exit 2 ;;
esac

if [ "$toolchain" = mingw ]; then
  cat >"$work/toolchain.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER $prefix-gcc-posix)
set(CMAKE_CXX_COMPILER $prefix-g++-posix)
set(CMAKE_RC_COMPILER $prefix-windres)
TOOLCHAIN
else
  clang=$7 lld_link=$8 dlltool=$9
  # Import libraries of the system DLLs the sample calls, made as the kit's own are.
  for dll in kernel32 user32 gdi32; do
    if [ "$arch" = x86 ]; then
      cp "$here/msvc-sdk/$dll-x86.def" "$work/$dll.def"
    else
      sed 's/@[0-9]*$//' "$here/msvc-sdk/$dll-x86.def" >"$work/$dll.def"
    fi
    nice -n 19 "$dlltool" $kill_at -m $machine -d "$work/$dll.def" -l "$work/$dll.lib"
  done
  nice -n 19 "$clang" --target=$triple -O2 -ffreestanding -fno-builtin -fno-stack-protector -Wall -Werror \
    -isystem "$here/msvc-sdk" -c "$here/msvc-sdk/startup.cpp" -o "$work/startup.obj"
  cat >"$work/toolchain.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER $clang)
set(CMAKE_CXX_COMPILER_TARGET $triple)
set(CMAKE_LINKER $lld_link)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "$here/msvc-sdk")
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti -fno-stack-protector")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -Wl,/entry:wWinMainCRTStartup -Wl,/nodefaultlib")
set(CMAKE_CXX_STANDARD_LIBRARIES "$work/startup.obj $work/kernel32.lib $work/user32.lib $work/gdi32.lib" CACHE STRING "" FORCE)
TOOLCHAIN
fi

# The sample as the kit holds it, built in a folder of its own. The build runs at the lowest
# priority: the tests beside it, both architectures' at once, time a person's input.
nice -n 19 cmake -S "$sdk/samples/cpp" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_PREFIX_PATH="$sdk" >"$work/configure.log" ||
  { cat "$work/configure.log" >&2; exit 1; }
nice -n 19 cmake --build "$work/build"
[ -f "$work/build/Velum_VB6.dll" ] || { echo "sample-build: the build put no Velum_VB6.dll beside the program" >&2; exit 1; }
cmp -s "$work/build/Velum_VB6.dll" "$sdk/bin/$arch/Velum_VB6.dll" ||
  { echo "sample-build: the DLL beside the program is not the kit's $arch one" >&2; exit 1; }

status=0
"$wine_run" "$work/build/velum_sample.exe" "Z:$theme" --once || status=$?
if [ $status -ne 0 ]; then
  echo "sample-build: velum_sample ($toolchain, $arch) exited with $status" >&2
  exit 1
fi
echo "velum_sample ($toolchain, $arch): built with find_package(Velum), attached, told of the look, drew in its colours"
