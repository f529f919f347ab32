#!/usr/bin/env bash
# Formats check and static analysis over the tracked C++ sources.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
files=$(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror $files
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -G Ninja >/dev/null
clang-tidy -p "$build" --quiet $(git ls-files '*.cpp' | grep -v '^tests/') 2>/dev/null
