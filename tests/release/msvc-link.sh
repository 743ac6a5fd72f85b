#!/usr/bin/env bash
# Builds MsvcLinkTest.c the way a developer with Microsoft's tools would use the developer kit
# (clang for ARCH-pc-windows-msvc, lld-link, the kit's header, Velum_VB6.lib and DLL, no C
# runtime, kernel32 from an import library made from a .def file as the kit's are), then runs
# it under Wine with a shipped theme.
# Usage: msvc-link.sh x86|x64 SDK_DIR WORK_DIR WINE_RUN THEME CLANG LLD_LINK LLVM_DLLTOOL
set -euo pipefail
arch=$1
sdk=$2
work=$3
wine_run=$4
theme=$5
clang=$6
lld_link=$7
dlltool=$8
here=$(cd "$(dirname "$0")" && pwd)

case $arch in
  x86) triple=i686-pc-windows-msvc; machine=i386; kill_at=-k ;;
  x64) triple=x86_64-pc-windows-msvc; machine=i386:x86-64; kill_at= ;;
  *) echo "msvc-link: unknown architecture $arch" >&2; exit 2 ;;
esac

rm -rf "$work"
mkdir -p "$work"
# x64 has no stdcall decorations: the same list without them.
if [ "$arch" = x86 ]; then
  cp "$here/kernel32-x86.def" "$work/kernel32.def"
else
  sed 's/@[0-9]*$//' "$here/kernel32-x86.def" > "$work/kernel32.def"
fi
"$dlltool" $kill_at -m $machine -d "$work/kernel32.def" -l "$work/kernel32.lib"

"$clang" --target=$triple -O2 -ffreestanding -fno-builtin -fno-stack-protector -Wall -Wextra -Werror \
  -I "$sdk/include" -c "$here/MsvcLinkTest.c" -o "$work/MsvcLinkTest.obj"
"$lld_link" /nologo /entry:start /subsystem:console /nodefaultlib /out:"$work/msvc_link_test.exe" \
  "$work/MsvcLinkTest.obj" "$sdk/lib/$arch/Velum_VB6.lib" "$work/kernel32.lib"
cp "$sdk/bin/$arch/Velum_VB6.dll" "$work/"

"$wine_run" "$work/msvc_link_test.exe" "Z:$theme"
echo "msvc_link_test ($arch): Velum_Attach, Velum_AttachEx, Velum_GetLastErrorText and Velum_Detach answered as expected"
