#!/usr/bin/env bash
# Runs every test: installs what is missing, configures and builds both presets,
# builds the release archive, runs the host tests, then the Windows tests
# (labels win32, e2e, compat and release) under Wine in a private Xvfb session,
# after a short fuzz run. Exits non-zero if anything failed to build or pass.
#
# MIVO_XVFB_DISPLAY=:N picks the Xvfb display (default: the first free one);
# WINEPREFIX another prefix than out/wineprefix.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

bash scripts/setup.sh

started=$(date +%s)
for preset in host windows; do
  echo "== configure and build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "== the release archive"
cmake --build --preset windows --target package
echo "== built in $(( $(date +%s) - started )) s"

failed=()
# The fuzz run goes first, so that CTest's summaries close the output.
echo "== fuzzing the configuration load and script selection (30 s)"
bash scripts/fuzz.sh 30 || failed+=(fuzz)

echo "== host tests"
ctest --preset host -j 2 --no-tests=error || failed+=(host)

echo "== Windows tests under Wine (win32, e2e, compat, release)"
scripts/wine-session.sh ctest --preset windows --no-tests=error -L '^(win32|e2e|compat|release)$' ||
  failed+=(windows)

if [ ${#failed[@]} -gt 0 ]; then
  echo "test.sh: failures in: ${failed[*]}" >&2
  exit 1
fi
