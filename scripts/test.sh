#!/usr/bin/env bash
# Builds the readout and runs every test, headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readout_install_missing "${readout_packages[@]}"
readout_ensure_locale

build="$READOUT_ROOT/build"
readout_build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 600
