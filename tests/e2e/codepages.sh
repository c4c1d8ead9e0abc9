#!/usr/bin/env bash
# The launcher's whole road on a PC whose ANSI code page is not 1252: Russian
# (1251, which Wine takes from the locale's name) and UTF-8 (65001, which the
# copy of the launcher with a UTF-8 manifest gets).
set -euo pipefail
tests=$1
work=$(mktemp -d)
chmod 1777 "$work" # the test user writes here too
trap 'rm -rf "$work"' EXIT
wine=$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib/wine-as-tester
run() {
  VORLUND_EXPECT_ACP=$1 LC_ALL=$2 \
    "$wine" "$tests" --gtest_filter='LauncherTest.TheWholeRoadHoldsOnAnyAnsiCodePage:LauncherTest.NamesAndPathsInAnyScriptArriveExactly' |
    tee "$work/out.txt"
  grep -q '^\[  PASSED  \] 2 tests' "$work/out.txt"
}
run 1251 ru_RU.UTF-8
run 65001 C.UTF-8
