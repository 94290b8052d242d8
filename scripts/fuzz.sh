#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each one for SEGUNDOS seconds
# (default 60) from the seed corpus in fuzz/corpus/. Exits non-zero on any finding; the input
# that caused it is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-60}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
TARGETS=(Manifest RoadBlock PrintJob Template)

./scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDAMDFE_BUILD_FUZZERS=ON -DDAMDFE_BUILD_TESTS=OFF -DDAMDFE_BUILD_BENCH=OFF
cmake --build "$BUILD" -j2 --target "${TARGETS[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
mkdir -p "$BUILD/findings"
status=0
for target in "${TARGETS[@]}"; do
  seeds=fuzz/corpus/manifest
  [ "$target" = Template ] && seeds=fuzz/corpus/template
  corpus="$BUILD/corpus/$target"
  mkdir -p "$corpus"
  # Whatever a crashed run leaves in its temporary folder goes with the folder.
  export TMPDIR="$BUILD/tmp/$target"
  rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"
  echo "== fuzz_$target: $SECONDS_EACH s"
  if ! "$BUILD/bin/fuzz_$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$BUILD/findings/$target-" "$corpus" "$seeds"; then
    echo "fuzz_$target: achado em $BUILD/findings/" >&2
    status=1
  fi
  rm -rf "$TMPDIR"
done
exit $status
