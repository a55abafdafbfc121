#!/usr/bin/env bash
# A longer fuzzing run with AFL++ over GCC, which compiles the program's CP932
# texts as the project's own build does. It takes the GCC plugin
# (afl-g++-fast) when that works; Debian 12's plugin refuses its own GCC
# ("incompatible versions"), and then the classic afl-g++ instruments instead.
#
#   bash fuzz/afl-run.sh NAME [SECONDS]    one harness, default one hour
#   bash fuzz/afl-run.sh all [SECONDS]     each harness in turn, SECONDS each
#
# NAME is a harness in fuzz/ without "_fuzz.cpp" (http_head, device_description,
# ...). Installs Debian's afl++ when it is missing (needs root), builds the
# harnesses with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-afl/, and starts from the seed corpus in fuzz/corpus/NAME. Findings go
# to build-afl/findings/NAME. Replay a crash with the test build's harness,
# build-sanitize/fuzz/NAME_fuzz FILE (scripts/test.sh makes it), and add the
# file to fuzz/corpus/NAME once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."

name=${1:?usage: bash fuzz/afl-run.sh NAME|all [SECONDS]}
seconds=${2:-3600}
if ! command -v afl-g++-fast > /dev/null; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "AFL++ is missing: run as root, or apt-get install afl++" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends afl++
fi

compiler=afl-g++-fast
if ! echo | afl-g++-fast -x c++ -c - -o /dev/null > /dev/null 2>&1; then
    compiler=afl-g++
fi

if [ "$name" = all ]; then
    names=()
    for harness in fuzz/*_fuzz.cpp; do
        harness=${harness#fuzz/}
        names+=("${harness%_fuzz.cpp}")
    done
else
    names=("$name")
fi

CXX=$compiler cmake -S . -B build-afl -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSLUICE_QT=OFF -DSLUICE_FUZZ=ON -DSLUICE_SANITIZE=ON -DBUILD_TESTING=OFF
targets=()
for harness in "${names[@]}"; do targets+=("${harness}_fuzz"); done
cmake --build build-afl --target "${targets[@]}"

mkdir -p build-afl/findings
for harness in "${names[@]}"; do
    echo "Fuzzing $harness for $seconds s"
    # Sanitizer reports must end the program for AFL++ to see them as crashes.
    ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0 \
    UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1 \
    AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1 \
        afl-fuzz -V "$seconds" -t 5000 -i "fuzz/corpus/$harness" \
        -o "build-afl/findings/$harness" -- "build-afl/fuzz/${harness}_fuzz" @@
    echo "Crashes of $harness: build-afl/findings/$harness/default/crashes"
done
