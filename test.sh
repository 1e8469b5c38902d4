#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest. Exits non-zero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
cd "$top/build"
ctest --output-on-failure --parallel "${JB_JOBS:-$(nproc)}" --timeout 600
