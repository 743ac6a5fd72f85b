#!/usr/bin/env bash
# build-samples.sh - cross-build a handful of Win32++ sample programs with mingw-w64.
#
# Why: to try the skinning engine inside real programs built on a general
# class library that subclasses every window it wraps (frames, rebars,
# toolbars, docking panes, MDI, property sheets, dialogs, owner-drawn menus),
# rather than only in our own test apps.  The library itself is fetched
# separately (github DavidNash2024/Win32xx) and is never committed here.
#
# Usage: tools/classlib/build-samples.sh <win32xx-source-dir> <output-dir> [x64|x86]
#   <win32xx-source-dir>  checkout of Win32++ (has include/ and samples/)
#   <output-dir>          where <Sample>.exe files go (objects go in <output-dir>/obj)
#   x64 (default) uses x86_64-w64-mingw32-*, x86 uses i686-w64-mingw32-*.
# Env: SAMPLES="Frame MDIFrame ..." overrides the default sample list.
#      JOBS=N compile jobs per sample (default: nproc).
#
# Every sample is Unicode (-DUNICODE, wWinMain, -municode) and is linked with
# a static runtime so the .exe runs under Wine or Windows with no extra DLLs.
# A sample that fails to build is reported and skipped; the exit status is
# non-zero only if none built.
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
    echo "usage: $0 <win32xx-source-dir> <output-dir> [x64|x86]" >&2
    exit 2
fi

src_root=$(cd "$1" && pwd)
mkdir -p "$2"
out_dir=$(cd "$2" && pwd)
arch=${3:-x64}

case "$arch" in
    x64) triple=x86_64-w64-mingw32 ;;
    x86) triple=i686-w64-mingw32 ;;
    *) echo "arch must be x64 or x86, not '$arch'" >&2; exit 2 ;;
esac

cxx=${triple}-g++
windres=${triple}-windres
for tool in "$cxx" "$windres"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
[[ -d "$src_root/include" && -d "$src_root/samples" ]] ||
    { echo "$src_root does not look like a Win32++ checkout" >&2; exit 1; }

# Sample -> what it exercises:
#   Frame          frame: menubar in a rebar, toolbar, status bar, owner-drawn popup menus
#   Notepad        frame around a rich-edit view, file/print dialogs
#   DockContainer  docking panes with tabbed dock containers
#   DockTabbedMDI  docking plus tabbed MDI
#   MDIFrame       classic MDI frame with child windows, Window menu
#   PropertySheet  property sheet (modeless/modal) and wizard
#   DialogDemo     dialog-based app: buttons, edits, list/combo, owner-drawn button, hyperlink
#   Scribble       simple mouse-drawn view inside a frame
default_samples="Frame Notepad DockContainer DockTabbedMDI MDIFrame PropertySheet DialogDemo Scribble"
read -r -a samples <<< "${SAMPLES:-$default_samples}"

jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cxxflags=(-std=c++17 -O2 -DNDEBUG -DUNICODE -D_UNICODE -municode -w
          -I "$src_root/include")
ldflags=(-municode -mwindows -static -static-libgcc -static-libstdc++ -s)
libs=(-lcomctl32 -lole32 -loleaut32 -luuid -lws2_32 -lgdi32 -lcomdlg32
      -lshell32 -lshlwapi -luxtheme -lwinspool -lversion)

built=()
failed=()

# fix_case <dir>: for each quoted file name in <dir>'s .rc/.rc2/.cpp/.h files
# that does not exist as spelled (relative to <dir>), link the file whose name
# differs only in letter case.
fix_case() {
    local dir=$1 ref sub base hit
    grep -ohE '"[^"]+\.(ico|bmp|cur|manifest|png|jpg|gif|avi|rc2|h|hpp|txt|xml|htm|html)"' \
        "$dir"/*.rc "$dir"/*.rc2 "$dir"/*.cpp "$dir"/*.h "$dir"/res/*.rc2 2>/dev/null |
        tr -d '"' | sed 's|\\\\|/|g; s|\\|/|g' | sort -u |
    while IFS= read -r ref; do
        [[ -e "$dir/$ref" ]] && continue
        sub=$(dirname "$ref"); base=$(basename "$ref")
        [[ -d "$dir/$sub" ]] || continue
        hit=$(find "$dir/$sub/" -maxdepth 1 -iname "$base" -print -quit)
        [[ -n "$hit" ]] && ln -s "$(basename "$hit")" "$dir/$sub/$base"
    done
    return 0
}

build_one() {
    local name=$1
    local sdir="$src_root/samples/$name/src"
    local odir="$out_dir/obj/$name"
    local log="$odir/build.log"
    [[ -d "$sdir" ]] || { echo "no such sample: $name" >&2; return 1; }
    rm -rf "$odir"
    mkdir -p "$odir"

    # Build from a staged copy of src/: the samples come from a case-insensitive
    # file system and sometimes spell a file differently from its real name.
    cp -r "$sdir" "$odir/src" || return 1
    sdir="$odir/src"
    fix_case "$sdir"

    # Resources: .rc files reference "../src/res/...", which resolves from src/.
    local objs=()
    local rc
    for rc in "$sdir"/*.rc; do
        [[ -e "$rc" ]] || continue
        local ro="$odir/$(basename "${rc%.rc}").res.o"
        (cd "$sdir" && "$windres" -DUNICODE -D_UNICODE -I "$sdir" \
            -I "$src_root/include" -O coff -i "$(basename "$rc")" -o "$ro") \
            >>"$log" 2>&1 || return 1
        objs+=("$ro")
    done

    # Sources: every .cpp in src/ (pch.cpp just includes pch.h; harmless).
    local cpp pids=() status=0
    for cpp in "$sdir"/*.cpp; do
        local o="$odir/$(basename "${cpp%.cpp}").o"
        objs+=("$o")
        "$cxx" "${cxxflags[@]}" -I "$sdir" -c "$cpp" -o "$o" >"$o.log" 2>&1 &
        pids+=($!)
        if (( ${#pids[@]} >= jobs )); then
            wait "${pids[0]}" || status=1
            pids=("${pids[@]:1}")
        fi
    done
    local p
    for p in "${pids[@]}"; do wait "$p" || status=1; done
    cat "$odir"/*.o.log >>"$log" 2>/dev/null || true
    (( status == 0 )) || return 1

    "$cxx" "${ldflags[@]}" -o "$out_dir/$name.exe" "${objs[@]}" "${libs[@]}" \
        >>"$log" 2>&1 || return 1
}

for name in "${samples[@]}"; do
    printf '%-16s ' "$name"
    if build_one "$name"; then
        echo "ok   $out_dir/$name.exe"
        built+=("$name")
    else
        echo "FAIL (see $out_dir/obj/$name/build.log)"
        failed+=("$name")
    fi
done

echo "$arch: built ${#built[@]}, failed ${#failed[@]}${failed[*]:+ (${failed[*]})}"
(( ${#built[@]} > 0 ))
