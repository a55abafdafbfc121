#!/usr/bin/env bash
# Builds Sluice and runs the whole test suite. The router tests (label "lab")
# need root to build network namespaces with a real IGD daemon.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 600 -j2
# The Debian package (built, not installed).
(cd build && cpack -G DEB)

# The tests without Qt and the router, and the replay of the fuzzing corpus,
# again under AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/: any report ends its program and fails the run.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSLUICE_QT=OFF -DSLUICE_LAB_TESTS=OFF -DSLUICE_SANITIZE=ON -DSLUICE_FUZZ=ON
cmake --build build-sanitize
ctest --test-dir build-sanitize --output-on-failure --timeout 600 -j2
