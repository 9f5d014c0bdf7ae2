#!/usr/bin/env bash
# check_deb.sh DEB: checks the Debian package as a user gets it. Its contents
# hold the programs, the desktop entry, the icons and the man pages; its
# dependencies name the Qt 6 runtime; once installed with apt-get, the
# installed davrel3 opens its main window "Davrel3", with the program icon,
# on a virtual display within 10 s. Needs root (or sudo) for apt-get. A
# davrel3 package that was not installed before is removed again afterwards.
set -euo pipefail
deb="$(realpath "$1")"
fail() { echo "FAIL: $*" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
id="org.davrel3.Davrel3"

contents="$(dpkg-deb -c "$deb")"
for path in ./usr/bin/davrel3 ./usr/bin/davrel3-batch \
            "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
            "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
            "./usr/share/icons/hicolor/48x48/apps/$id.png" \
            ./usr/share/man/man1/davrel3-batch.1.gz ./usr/share/man/man1/davrel3.1.gz \
            ./usr/share/doc/davrel3/README.md; do
  grep -q " $path\$" <<<"$contents" || fail "the package does not hold $path"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6charts6 libqt6datavisualization6 libqt6svg6 libc6; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done

# One package test at a time on this machine: they install the same package.
exec 9>/tmp/davrel3-package-test.lock
flock 9
was_installed=no
dpkg-query -W -f='${Status}' davrel3 2>/dev/null | grep -q "install ok installed" && was_installed=yes
cleanup() {
  if [ "$was_installed" = no ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq -o DPkg::Lock::Timeout=300 davrel3 >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null ||
  fail "apt-get could not install $deb"
[ "$(dpkg-query -W -f='${Version}' davrel3)" = "$(dpkg-deb -f "$deb" Version)" ] ||
  fail "the installed davrel3 is not the package's version"
# The package's version is the one the installed runner reports:
# "davrel3-batch 1.0 (commit abc)" is packaged as 1.0+gitabc.
reported="$(/usr/bin/davrel3-batch --version)" || fail "the installed davrel3-batch --version failed"
pattern='^davrel3-batch ([0-9.]+)( \(commit ([0-9a-f]+)(-modified)?\))?$'
[[ "$reported" =~ $pattern ]] || fail "the installed davrel3-batch reports an unreadable version: $reported"
expected="${BASH_REMATCH[1]}"
[ -n "${BASH_REMATCH[3]}" ] && expected+="+git${BASH_REMATCH[3]}"
[ -n "${BASH_REMATCH[4]}" ] && expected+=".modified"
[ "$(dpkg-deb -f "$deb" Version)" = "$expected" ] ||
  fail "the package's version $(dpkg-deb -f "$deb" Version) is not the program's ($reported)"
# The whole table, not a pipe cut short: the runner reports a closed pipe as
# a failed write.
design=$(/usr/bin/davrel3-batch --design) || fail "the installed davrel3-batch --design failed"
[ "$(printf '%s\n' "$design" | wc -l)" -eq 19 ] || fail "the installed davrel3-batch did not print the 18 conditions"

# The installed program, started on a fresh virtual display, shows its main
# window within 10 s.
xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
  /usr/bin/davrel3 >/dev/null 2>&1 &
  pid=$!
  start=$(date +%s%N)
  while [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 10000 ]; do
    if xwininfo -root -tree | grep -q "\"Davrel3\""; then
      # The window carries the program icon (the one the desktop entry names).
      icon=$(xprop -name Davrel3 _NET_WM_ICON 2>&1 | head -c 200)
      kill "$pid"
      wait "$pid" 2>/dev/null || true
      case "$icon" in
        *"Icon ("*) exit 0 ;;
        *) echo "the main window has no icon: $icon"; exit 1 ;;
      esac
    fi
    kill -0 "$pid" 2>/dev/null || { echo "davrel3 exited before showing its window"; exit 1; }
    sleep 0.1
  done
  kill "$pid"
  echo "no window \"Davrel3\" within 10 s"
  exit 1' || fail "the installed davrel3 did not show its main window"
echo "package checked: $(basename "$deb")"
