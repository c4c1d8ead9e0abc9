#!/usr/bin/env bash
# The rollout page in a real browser: the real vorlundcheck.exe writes it
# from a generated folder of logs (the e2e case CheckExe.TheRollout...), and
# headless Chromium renders it. What a person would see is checked in the
# DOM after parsing, and a screenshot is taken: the counts in the heading,
# the failing station first, the curve's point for each day, the slowest
# install named, and a log's hostile text shown as text, no element made
# from it.
set -euo pipefail
tests=$1
work=$(mktemp -d)
chmod 1777 "$work" # the test user writes here
trap 'rm -rf "$work"' EXIT
wine=$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib/wine-as-tester
VORLUND_REPORT_OUT="Z:${work//\//\\}\\" "$wine" "$tests" \
  --gtest_filter='CheckExe.TheRolloutIsWrittenAsAPageAndASpreadsheetFile' | tee "$work/out.txt"
grep -q '^\[  PASSED  \] 1 test' "$work/out.txt"

browser() {
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" "$@" 2>>"$work/chromium.log"
}
browser --dump-dom "file://$work/bericht.html" >"$work/dom.html"
browser --screenshot="$work/bericht.png" --window-size=1000,2200 "file://$work/bericht.html" \
  >/dev/null
if [ -n "${VORLUND_REPORT_SCREENSHOT:-}" ]; then cp "$work/bericht.png" "$VORLUND_REPORT_SCREENSHOT"; fi

dom=$(tr -d '\n' <"$work/dom.html")
fail=0
expect() { # description, extended regex the DOM must match
  if ! grep -Eq -- "$2" <<<"$dom"; then
    echo "not on the page: $1" >&2
    fail=1
  fi
}
refuse() { # description, extended regex the DOM must not match
  if grep -Eq -- "$2" <<<"$dom"; then
    echo "on the page, but must not be: $1" >&2
    fail=1
  fi
}
expect "4 workstations, the publishing PC apart" '<b id="arbeitsplaetze">4</b>'
expect "the publish listed apart" 'id="veroeffentlichungen"><tbody><tr>(<th>[^<]*</th>)*</tr><tr><td>2026-12-01 07:00:00</td><td>ADMIN</td>'
expect "3 applications" '<b id="anwendungen">3</b>'
expect "1 whose last run failed" '<b id="fehlerhaft">1</b>'
expect "the failing station first among all" \
  'id="alle"><tbody><tr><th>[^<]*</th>(<th>[^<]*</th>)*</tr><tr class="fehler"><td>&lt;/svg&gt;&lt;script&gt;'
expect "the curve's point for each day" '<title>2026-11-01: 1 von 1</title>.*<title>2026-12-01: 2 von 3</title>.*<title>2026-12-02: 2 von 3</title>'
expect "the publish day marked" '<title>2026-12-01: veröffentlicht</title>'
expect "the slowest install first" 'id="langsam"><tbody><tr>(<th>[^<]*</th>)*</tr><tr><td>PC-B</td>'
expect "the hostile name as text" '&lt;img src=x onerror=alert\(1\)&gt;'
refuse "an element made of a log's text" '<img|<script'
if [ "$(stat -c %s "$work/bericht.png")" -lt 10000 ]; then
  echo "the screenshot is empty" >&2
  fail=1
fi
exit $fail
