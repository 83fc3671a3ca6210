#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running demo: builds, makes
# a demo database, registers this computer for a demo user, starts the
# application server with its web pages and opens the client.
#
#   scripts/demo.sh              sign in as the dealer BAYI
#   scripts/demo.sh --temsilci   sign in as the sales representative TEMSILCI
#   scripts/demo.sh --user BAYI4 any other demo user
#   scripts/demo.sh --fresh      throw the demo database away first
#
# Without a display the server keeps running and the script says how to
# start the client under Xvfb. BUILD chooses the build folder (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

USER_NAME=BAYI
FRESH=0
while [ $# -gt 0 ]; do
  case "$1" in
    --temsilci) USER_NAME=TEMSILCI ;;
    --user) USER_NAME=${2:?--user needs a name}; shift ;;
    --fresh) FRESH=1 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

BUILD=${BUILD:-$ROOT/build}
bash scripts/deps.sh
if [ -z "${KOLVAR_DEMO_NO_BUILD:-}" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVAR_BUILD_TESTS=OFF \
    -DKOLVAR_BUILD_BENCH=OFF >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" --target kolvar-server kolvar-client kolvar-machine-id
fi

DEMO_DIR=$BUILD/demo
DB_FILE=$DEMO_DIR/kolvar-demo.db
DB="sqlite://$DB_FILE"
SERVER=$BUILD/bin/kolvar-server
mkdir -p "$DEMO_DIR"
[ "$FRESH" -eq 1 ] && rm -f "$DB_FILE"

if [ ! -f "$DB_FILE" ]; then
  echo "Creating the demo database $DB_FILE"
  "$SERVER" init --db "$DB"
  "$SERVER" seed-demo --db "$DB"
else
  "$SERVER" init --db "$DB" >/dev/null
fi

MACHINE_ID=$("$BUILD/bin/kolvar-machine-id")
echo "This computer's identifier: $MACHINE_ID"
"$SERVER" register-machine --db "$DB" --machine-id "$MACHINE_ID" --user "$USER_NAME"

if ss -ltn 2>/dev/null | grep -qE ':(9090|8080)\b'; then
  echo "Port 9090 or 8080 is already in use; stop the other server first." >&2
  exit 1
fi
"$SERVER" serve --db "$DB" --port 9090 --web-port 8080 >"$DEMO_DIR/server.log" 2>&1 &
SERVER_PID=$!
trap 'kill "$SERVER_PID" 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do
  ss -ltn 2>/dev/null | grep -qE ':9090\b' && break
  kill -0 "$SERVER_PID" 2>/dev/null || { cat "$DEMO_DIR/server.log" >&2; exit 1; }
  sleep 0.2
done

cat <<TEXT

Kolvar Otomotiv B2B demo
  application server  localhost:9090   (log: $DEMO_DIR/server.log)
  web pages           http://localhost:8080/
  this computer signs in as $USER_NAME

  user        password  kind
  BAYI        1234      dealer (scripts/demo.sh)
  BAYI3       1234      dealer without the status column in the basket
  BAYI4       1234      dealer without campaign prices
  TEMSILCI    1234      sales representative (scripts/demo.sh --temsilci)
  TEMSILCI2   1234      sales representative

A computer signs in only as the user registered for it: type $USER_NAME and
1234 in the login window (letters become capitals as you type). Another
user: scripts/demo.sh --user NAME.
TEXT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<TEXT

No display here. The server keeps running (Ctrl+C stops it). To see the
client on a virtual display, in another terminal:
  Xvfb :99 -screen 0 1600x1000x24 &
  DISPLAY=:99 $BUILD/bin/kolvar-client
and look at it with a VNC server on :99, or take a picture of it with
  scripts/screenshot.sh
TEXT
  wait "$SERVER_PID"
  exit 0
fi

"$BUILD/bin/kolvar-client" || true
