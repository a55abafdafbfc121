#!/usr/bin/env bash
# The manual page renders without a warning, and it names every switch word
# and exit code that "sluice --help" lists, so the two cannot drift apart.
#   check_manual.sh MANUAL SLUICE
set -euo pipefail
manual=$1
program=$2

warnings=$(LANG=C.UTF-8 groff -k -ww -man -Tutf8 -z "$manual" 2>&1)
if [ -n "$warnings" ]; then
    echo "groff warns about $manual:" >&2
    echo "$warnings" >&2
    exit 1
fi

usage=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help)
status=0
# Switch lines of the usage look like "  open      map the WAN ports ...".
for word in $(sed -n 's/^  \([a-z]\+\)  .*/\1/p' <<<"$usage"); do
    if ! grep -qx "\.B $word" "$manual"; then
        echo "the manual does not describe the switch word '$word'" >&2
        status=1
    fi
done
for code in "0 setup" "1 done" "2 failed"; do
    if ! grep -qF "$code" <<<"$usage" || ! grep -qx "\.B ${code%% *}" "$manual"; then
        echo "exit code ${code%% *} is missing from the usage or the manual" >&2
        status=1
    fi
done
exit $status
