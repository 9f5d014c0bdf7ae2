#!/usr/bin/env bash
# check_detection.sh SOURCE_DIR: configures fresh build trees as if packages
# were missing and checks that the configure leaves out just the part that
# needs them, in one line, and that DAVREL3_REQUIRE_ALL refuses such a build.
set -euo pipefail
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

configure() {  # configure NAME ARGS...: a fresh tree work/NAME; output in work/NAME.out
  local name="$1"
  shift
  cmake -S "$source" -B "$work/$name" -DCMAKE_BUILD_TYPE=Release "$@" >"$work/$name.out" 2>&1
}

# Without Qt Charts: the program and its window tests are left out, the runner
# and the other tests stay.
configure nocharts -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Charts=ON ||
  fail "the configure without Qt Charts failed: $(cat "$work/nocharts.out")"
[ "$(grep -c 'Skipping the program davrel3: Qt6Charts not found' "$work/nocharts.out")" = 1 ] ||
  fail "no one-line message for the program without Qt Charts: $(cat "$work/nocharts.out")"
targets="$(cmake --build "$work/nocharts" --target help)"
grep -qw 'davrel3-batch' <<<"$targets" || fail "the runner is missing without Qt Charts"
grep -qw 'batch_tests' <<<"$targets" || fail "the runner's tests are missing without Qt Charts"
if grep -Eq '(^|[ .])davrel3$' <<<"$targets"; then fail "the program is still built without Qt Charts"; fi
if grep -qw 'test_main_window' <<<"$targets"; then fail "window tests are still built without Qt Charts"; fi

# Without Qt Test only the window tests go; without Google Benchmark only the
# benchmarks.
configure notest -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON ||
  fail "the configure without Qt Test failed: $(cat "$work/notest.out")"
grep -q 'Skipping the window tests: Qt6Test not found' "$work/notest.out" ||
  fail "no message for the window tests without Qt Test"
targets="$(cmake --build "$work/notest" --target help)"
grep -Eq '(^|[ .])davrel3$' <<<"$targets" || fail "the program is missing without Qt Test"
configure nobench -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DDAVREL3_BUILD_APP=OFF ||
  fail "the configure without Google Benchmark failed: $(cat "$work/nobench.out")"
grep -q 'Skipping the benchmarks: Google Benchmark not found' "$work/nobench.out" ||
  fail "no message for the benchmarks without Google Benchmark"

# A build that must be whole refuses to leave anything out, and says what.
if configure whole -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Charts=ON -DDAVREL3_REQUIRE_ALL=ON; then
  fail "DAVREL3_REQUIRE_ALL accepted a build without the program"
fi
# CMake wraps its error messages: read the output as one line.
tr -s '\n ' '  ' <"$work/whole.out" | grep -q 'would leave out: the program davrel3 (Qt6Charts not found)' ||
  fail "DAVREL3_REQUIRE_ALL did not say what is missing: $(cat "$work/whole.out")"
# Parts switched off on purpose are not missing.
configure off -DDAVREL3_REQUIRE_ALL=ON -DDAVREL3_BUILD_APP=OFF -DDAVREL3_BUILD_BENCH=OFF ||
  fail "DAVREL3_REQUIRE_ALL refused parts switched off: $(cat "$work/off.out")"
echo "detection checked"
