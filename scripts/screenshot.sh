#!/usr/bin/env bash
# Signs in with the real client against the real server on a virtual
# display and saves a picture of the main window (docs/screenshots/main.png,
# or the path given). Needs ports 9090 and 8080 free: the client's addresses
# are fixed when it is built.
#
#   scripts/screenshot.sh [out.png] [--temsilci]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/docs/screenshots/main.png
USER_NAME=BAYI
for arg in "$@"; do
  case "$arg" in
    --temsilci) USER_NAME=TEMSILCI ;;
    *.png) OUT=$(realpath -m "$arg") ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done
BUILD=${BUILD:-$ROOT/build}

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/deps.sh" >&2; exit 1; }
done
if [ ! -x "$BUILD/bin/kolvar-client" ] || [ ! -x "$BUILD/bin/kolvar-server" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" --target kolvar-server kolvar-client kolvar-machine-id
fi

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  # Client first: it aborts when its display goes away under it.
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[$i]}" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

DB="sqlite://$WORK/kolvar.db"
"$BUILD/bin/kolvar-server" init --db "$DB" >/dev/null
"$BUILD/bin/kolvar-server" seed-demo --db "$DB" >/dev/null
"$BUILD/bin/kolvar-server" register-machine --db "$DB" --machine-id "$("$BUILD/bin/kolvar-machine-id")" \
  --user "$USER_NAME" >/dev/null
"$BUILD/bin/kolvar-server" serve --db "$DB" --port 9090 --web-port 8080 >"$WORK/server.log" 2>&1 &
PIDS+=($!)

# The login window finds the remembered name and password in this
# (temporary) settings folder.
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/vozovodadivaru"
printf '[kullanici]\nisim=%s\nsifre=1234\nhat%%U0131rla=1\n' "$USER_NAME" >"$XDG_CONFIG_HOME/vozovodadivaru/ayar.ini"

DISPLAY_NO=99
while [ -e "/tmp/.X11-unix/X$DISPLAY_NO" ]; do DISPLAY_NO=$((DISPLAY_NO + 1)); done
Xvfb ":$DISPLAY_NO" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
export DISPLAY=":$DISPLAY_NO"
for _ in $(seq 1 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$BUILD/bin/kolvar-client" >"$WORK/client.log" 2>&1 &
PIDS+=($!)

wait_window() {
  for _ in $(seq 1 150); do
    if id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  echo "no window \"$1\" appeared; client log:" >&2
  cat "$WORK/client.log" >&2
  return 1
}

login=$(wait_window '^Giriş$')
xdotool windowfocus --sync "$login" 2>/dev/null || true
sleep 0.5
# Enter in the name moves to the password; Enter there signs in.
xdotool key --window "$login" Return
sleep 0.3
xdotool key --window "$login" Return

main=$(wait_window '^Kolvar Otomotiv B2B Programı')
xdotool windowmove "$main" 0 0 windowsize "$main" 1600 1000
sleep 4 # the start-time job fills the header
mkdir -p "$(dirname "$OUT")"
import -window root "$OUT"
echo "saved $OUT"
