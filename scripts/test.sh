#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a full test run:
# installs packages, builds with AddressSanitizer and UBSan, starts a
# throw-away PostgreSQL cluster on loopback and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
bash scripts/deps.sh

BUILD=${KOLVAR_TEST_BUILD:-build-test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOLVAR_SANITIZE=ON -DKOLVAR_WERROR=ON \
  -DKOLVAR_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

# Throw-away PostgreSQL on loopback for the server's PostgreSQL suite.
PGBIN=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
PGDIR=$(mktemp -d /tmp/kolvar-pg.XXXXXX)
PGPORT=${KOLVAR_PG_PORT:-55432}
chmod 755 "$PGDIR"
RUNAS=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$PGDIR"
  RUNAS=(runuser -u postgres --)
fi
cleanup() {
  "${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PGDIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PGDIR"
}
trap cleanup EXIT
"${RUNAS[@]}" "$PGBIN/initdb" -D "$PGDIR/data" -U kolvar --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PGDIR/data" -l "$PGDIR/log" -w \
  -o "-c listen_addresses=127.0.0.1 -c port=$PGPORT -c unix_socket_directories=$PGDIR -c fsync=off -c max_connections=300" start >/dev/null
"${RUNAS[@]}" "$PGBIN/createdb" -h 127.0.0.1 -p "$PGPORT" -U kolvar kolvar_test
export KOLVAR_TEST_PG_URL="postgresql://kolvar@127.0.0.1:$PGPORT/kolvar_test"
export KOLVAR_REQUIRE_PG=1
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 900
