#!/usr/bin/env bash
# Fails when a C++ file tracked by git differs from what clang-format (.clang-format) makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
echo "formatting: ${#files[@]} files as .clang-format wants them"
