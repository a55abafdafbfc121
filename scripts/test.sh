#!/usr/bin/env bash
# Builds Sluice and runs the whole test suite. The router tests (label "lab")
# need root to build network namespaces with a real IGD daemon.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 600 -j2
# The Debian package (built, not installed).
(cd build && cpack -G DEB)
