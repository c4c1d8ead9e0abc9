#!/usr/bin/env bash
# The grid paints a Windows-1252 row the same on a PC whose ANSI code page is
# 1251 as on one with 1252. Wine takes the code page from the locale.
set -euo pipefail
tests=$1
work=$(mktemp -d)
chmod 1777 "$work" # the test user writes here too
trap 'rm -rf "$work"' EXIT
wine=$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib/wine-as-tester
pixels="Z:${work//\//\\}\\grid.bin"
run() {
  VORLUND_GRID_PIXELS="$pixels" VORLUND_EXPECT_ACP=$1 LC_ALL=$2 \
    "$wine" "$tests" --gtest_filter='Form1Test.AGridRowPaintsTheSamePixelsUnderAnyAnsiCodePage' |
    tee "$work/out.txt"
  grep -q '^\[  PASSED  \] 1 test' "$work/out.txt"
}
run 1252 C.UTF-8
run 1251 ru_RU.UTF-8
