#!/usr/bin/env bash
# Installs, checks the layers, builds and runs the whole test suite (widgets on the offscreen
# platform). The tests that need a Firebird server start one of their own
# (scripts/test-server.sh, state in build/test-server) and stop it when they end; it is
# stopped here too, should the run be interrupted.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
# The engines have no widgets: a Qt Widgets include outside the screens fails the run.
bash "$root/scripts/check-layers.sh"
bash "$root/scripts/build.sh"
trap 'bash "$root/scripts/test-server.sh" stop "$root/build/test-server" > /dev/null 2>&1 || true' EXIT
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j2
