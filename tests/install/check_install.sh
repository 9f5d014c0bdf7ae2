#!/usr/bin/env bash
# check_install.sh BUILD_DIR: installs the build into a fresh temporary
# prefix and checks what a user gets there: the runner prints the same design
# table as the build's, its man page renders, and (when the program is built)
# the program, desktop entry, icon and metainfo are in place and pass the
# freedesktop validators where those are installed.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The runner, run from the prefix, prints the build's table byte for byte.
[ -x "$prefix/bin/davrel3-batch" ] || fail "bin/davrel3-batch was not installed"
"$build/src/batch/davrel3-batch" --design > "$prefix/design-build.csv"
"$prefix/bin/davrel3-batch" --design > "$prefix/design-installed.csv"
[ -s "$prefix/design-build.csv" ] || fail "the build's runner printed no design table"
cmp "$prefix/design-build.csv" "$prefix/design-installed.csv" ||
  fail "the installed davrel3-batch --design differs from the build's"

[ -f "$prefix/share/doc/davrel3/README.md" ] || fail "the README was not installed"

man_page="$prefix/share/man/man1/davrel3-batch.1.gz"
[ -f "$man_page" ] || fail "the man page of davrel3-batch was not installed"
page="$(gzip -dc "$man_page")"
for text in '^\.TH DAVREL3-BATCH' '^\.SH "\?EXIT STATUS' 'design' 'sweep'; do
  grep -q -- "$text" <<<"$page" || fail "the man page lacks '$text'"
done
# The page names the runner as users type it, not by its path in the build.
if grep -q -- "$build" <<<"$page"; then fail "the man page shows the build directory"; fi
if command -v man >/dev/null; then
  MANWIDTH=80 man -l "$man_page" 2>&1 >/dev/null | grep . && fail "man reports problems with the page"
fi

if [ ! -x "$build/src/app/davrel3" ]; then
  echo "the program is not part of this build: checked the runner only"
  exit 0
fi
id="org.davrel3.Davrel3"
[ -x "$prefix/bin/davrel3" ] || fail "bin/davrel3 was not installed"
[ -f "$prefix/share/man/man1/davrel3.1.gz" ] || fail "the man page of davrel3 was not installed"
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -f "$desktop" ] || fail "the desktop entry was not installed"
[ -f "$metainfo" ] || fail "the metainfo was not installed"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "Exec=davrel3" "$desktop" || fail "the desktop entry does not start davrel3"
icons="$prefix/share/icons/hicolor"
[ -s "$icons/scalable/apps/$id.svg" ] || fail "the scalable icon was not installed"
for size in 16 24 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || fail "the ${size}x${size} icon was not installed"
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size}x${size} icon is ${w}x${h}"
done
if command -v desktop-file-validate >/dev/null; then
  out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  echo "desktop-file-validate not installed: desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --explain "$metainfo" >"$prefix/appstream.out" 2>&1 ||
    fail "appstreamcli validate: $(cat "$prefix/appstream.out")"
else
  echo "appstreamcli not installed: metainfo not validated"
fi
echo "installed tree checked"
