#!/usr/bin/env bash
# Fails when a tracked .cpp or .h file does not follow .clang-format; names each such file.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || { echo "not formatted: $file"; status=1; }
done < <(git ls-files '*.cpp' '*.h')
[ "$status" -eq 0 ] && echo "every tracked source file is formatted"
exit "$status"
