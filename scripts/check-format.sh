#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format (.clang-format) would write it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror --style=file $files; then
  echo "format: run  git ls-files '*.cpp' '*.h' | xargs clang-format -i  and commit" >&2
  exit 1
fi
echo "format: $(echo "$files" | wc -l) files as clang-format writes them"
