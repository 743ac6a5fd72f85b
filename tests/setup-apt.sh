#!/usr/bin/env bash
# scripts/setup.sh's apt-get update against a mirror being synchronised: a fake apt-get on PATH
# fails the update a given number of times, and its simulated install succeeds or not.
set -uo pipefail
setup=$(cd "$(dirname "$0")/.." && pwd)/scripts/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat > "$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
case "$1" in
  update)
    n=$(($(cat "$FAKE_DIR/updates" 2>/dev/null || echo 0) + 1))
    echo "$n" > "$FAKE_DIR/updates"
    if [ "$n" -le "$FAKE_FAILS" ]; then
      echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress? [IP: 1 80]"
      exit 100
    fi
    echo "Reading package lists..." ;;
  install) [ "$FAKE_SIMULATE_OK" = 1 ] ;;
esac
FAKE
chmod +x "$work/bin/apt-get"

failures=0
# what | update failures | simulated install works | exit | updates made | stderr has
while IFS='|' read -r what fails simulate code updates says; do
  rm -f "$work/updates"
  err=$(PATH="$work/bin:$PATH" FAKE_DIR=$work FAKE_FAILS=$fails FAKE_SIMULATE_OK=$simulate \
    ZENTORA_APT_TRIES=3 ZENTORA_APT_WAIT=0 bash -c "source '$setup'; zentora_apt_update wine32:i386" 2>&1 >/dev/null)
  got=$?
  made=$(cat "$work/updates")
  if [ "$got" != "$code" ] || [ "$made" != "$updates" ] || ! grep -qF -- "$says" <<<"$err"; then
    echo "FAIL: $what: exit $got (want $code), $made updates (want $updates), stderr:" >&2
    echo "$err" >&2
    failures=$((failures + 1))
  fi
done <<'TABLE'
the lists come at once|0|0|0|1|
the mirror catches up on the second try|1|0|0|2|trying again in 0s (1 of 3)
still failing, the lists there serve the install|9|1|0|3|the lists there are serve the install
still failing, the install needs the list|9|0|1|3|http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
TABLE
[ "$failures" = 0 ] && echo "setup-apt: all cases pass"
exit $((failures > 0))
