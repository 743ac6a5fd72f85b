#!/usr/bin/env bash
# The VB declarations module against the DLL and the header: every export has one Declare in
# the DLL, every Declare names an export, and each matches the header's function in the number
# and kind of its parameters (const char* / char* <-> ByVal String, int <-> ByVal Long, a wide
# string or a window handle <-> ByVal Long, a LOGFONT pointer <-> ByRef of the module's type)
# and its int result (As Long). Then a table of broken modules, each of which the check must reject.
# Usage: vb-declares.sh OBJDUMP DLL HEADER BAS
set -euo pipefail
objdump=$1
dll=$2
header=$3
bas=$4

exports=$("$objdump" -p "$dll" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | LC_ALL=C sort)
[ -n "$exports" ] || { echo "vb-declares: no exports read from $dll" >&2; exit 1; }

# NAME -> comma-separated kinds (str, long, or what the text was), from the header.
declare -A header_params
while IFS= read -r line; do
  if [[ $line =~ ^VELUM_API\ int\ VELUM_CALL\ ([A-Za-z_0-9]+)\((.*)\)\;$ ]]; then
    name=${BASH_REMATCH[1]} params=${BASH_REMATCH[2]} kinds=
    if [ "$params" != void ]; then
      IFS=, read -ra list <<<"$params"
      for p in "${list[@]}"; do
        p=$(sed 's/^ *//; s/ *[A-Za-z_0-9]*$//' <<<"$p")
        case $p in
          "const char*" | "char*") kinds+=str, ;;
          int | "const wchar_t*" | "wchar_t*" | VELUM_HWND) kinds+=long, ;;
          "struct tagLOGFONTA*") kinds+=ref:LOGFONT, ;;
          "struct tagLOGFONTW*") kinds+=ref:LOGFONTW, ;;
          *) kinds+="c:$p," ;;
        esac
      done
    fi
    header_params[$name]=${kinds%,}
  elif [[ $line =~ ^VELUM_API ]]; then
    echo "vb-declares: header line not understood: $line" >&2
    exit 1
  fi
done <"$header"

# Checks one module; prints what is wrong and returns 1, or returns 0.
check() {
  local module=$1 problems=() line name lib params result kinds p
  local -A declared=()
  while IFS= read -r line; do
    line=${line%$'\r'}
    [[ $line =~ ^[[:space:]]*\' || ! $line =~ Declare ]] && continue
    if ! [[ $line =~ ^(Public\ |Private\ )?Declare\ Function\ ([A-Za-z_0-9]+)\ Lib\ \"([^\"]*)\"\ \((.*)\)\ As\ ([A-Za-z]+)$ ]]; then
      problems+=("not a Declare Function of the expected form: $line")
      continue
    fi
    name=${BASH_REMATCH[2]} lib=${BASH_REMATCH[3]} params=${BASH_REMATCH[4]} result=${BASH_REMATCH[5]}
    declared[$name]=1
    [ "$lib" = Velum_VB6.dll ] || problems+=("$name: Lib \"$lib\", not \"Velum_VB6.dll\"")
    [ "$result" = Long ] || problems+=("$name: returns $result; the function returns int (Long)")
    grep -qx "$name" <<<"$exports" || { problems+=("$name: not an export of $(basename "$dll")"); continue; }
    [ -n "${header_params[$name]+set}" ] || { problems+=("$name: not in $(basename "$header")"); continue; }
    kinds=
    if [ -n "$params" ]; then
      IFS=, read -ra list <<<"$params"
      for p in "${list[@]}"; do
        p=$(sed 's/^ *//; s/ *$//' <<<"$p")
        if [[ $p =~ ^ByVal\ [A-Za-z_0-9]+\ As\ String$ ]]; then kinds+=str,
        elif [[ $p =~ ^ByVal\ [A-Za-z_0-9]+\ As\ Long$ ]]; then kinds+=long,
        elif [[ $p =~ ^ByRef\ [A-Za-z_0-9]+\ As\ ([A-Za-z_0-9]+)$ ]]; then kinds+=ref:${BASH_REMATCH[1]},
        else kinds+="vb:$p,"; fi
      done
    fi
    [ "${kinds%,}" = "${header_params[$name]}" ] ||
      problems+=("$name: parameters ($params) do not match the header's (${header_params[$name]})")
  done <"$module"
  for name in $exports; do
    [ -n "${declared[$name]+set}" ] || problems+=("$name: exported, but no Declare")
  done
  [ ${#problems[@]} -eq 0 ] && return 0
  printf '  %s\n' "${problems[@]}"
  return 1
}

echo "exports of $(basename "$dll"): $(echo $exports)"
if ! check "$bas"; then
  echo "FAIL: $(basename "$bas") does not match the DLL and the header" >&2
  exit 1
fi
echo "$(basename "$bas"): every export declared, every Declare matches the header"

# Broken modules the check must reject: (what is wrong, sed expression).
broken=(
  "a Declare missing"                 '/Declare Function Velum_Detach/d'
  "a name that is not an export"      's/Function Velum_Attach /Function Velum_Atach /'
  "a string passed ByRef"             's/ByVal ThemePath/ByRef ThemePath/'
  "a string without ByVal"            's/ByVal Scheme As String/Scheme As String/'
  "a parameter too few"               's/, ByVal Scheme As String//'
  "a parameter too many"              's/Velum_Detach Lib "Velum_VB6.dll" ()/Velum_Detach Lib "Velum_VB6.dll" (ByVal Window As Long)/'
  "a 16-bit Integer for an int"       's/ByVal Size As Long/ByVal Size As Integer/'
  "a Long for a string"               's/ByVal Buffer As String/ByVal Buffer As Long/'
  "another DLL"                       's/Velum_AttachEx Lib "Velum_VB6.dll"/Velum_AttachEx Lib "Velum.dll"/'
  "a wide string passed as a String"  's/(ByVal ThemePath As Long, ByVal Scheme As Long)/(ByVal ThemePath As String, ByVal Scheme As Long)/'
  "a LOGFONT passed ByVal"            's/ByRef Font As LOGFONT)/ByVal Font As LOGFONT)/'
  "the wide LOGFONT for the ANSI one" 's/(ByVal Part As String, ByRef Font As LOGFONT)/(ByVal Part As String, ByRef Font As LOGFONTW)/'
  "a Sub for a function"              's/Declare Function Velum_Detach Lib "Velum_VB6.dll" () As Long/Declare Sub Velum_Detach Lib "Velum_VB6.dll" ()/'
)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ((i = 0; i < ${#broken[@]}; i += 2)); do
  sed "${broken[i + 1]}" "$bas" >"$work/broken.bas"
  if cmp -s "$bas" "$work/broken.bas"; then
    echo "FAIL: broken case '${broken[i]}' changed nothing in the module" >&2
    status=1
  elif check "$work/broken.bas" >"$work/report"; then
    echo "FAIL: the check accepts a module with ${broken[i]}" >&2
    status=1
  else
    echo "rejected, as it should be: ${broken[i]}: $(head -n 1 "$work/report" | sed 's/^ *//')"
  fi
done
exit $status
