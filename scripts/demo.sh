#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVAR_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
echo "The demo database, users and client arrive with the application server and"
echo "sign-in work; for now this starts the application server alone on port 9090."
exec build/bin/kolvar-server serve --port 9090
