#!/usr/bin/env bash
# The road of an order, end to end, with the real client and the real server
# on a virtual display: sign in, search, open a stock, add it, select it,
# choose delivery, cargo type and carrier, send and confirm. The client is
# driven through its accessibility tree (AT-SPI), so every control used must
# be reachable by name. Leaves docs/screenshots/siparis-sepet.png and
# siparis-onay.png, and checks that the database holds exactly one new order
# with the added line. Needs ports 9090 and 8080 free (the client's addresses
# are fixed when it is built).
#
#   scripts/e2e-order.sh [screenshot folder]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$(realpath -m "${1:-$ROOT/docs/screenshots}")
BUILD=${BUILD:-$ROOT/build}

for tool in Xvfb xdotool import dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/deps.sh" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "python3-pyatspi is missing: run scripts/deps.sh" >&2; exit 1; }
if [ ! -x "$BUILD/bin/kolvar-client" ] || [ ! -x "$BUILD/bin/kolvar-server" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" --target kolvar-server kolvar-client kolvar-machine-id
fi

if [ -z "${KOLVAR_E2E_INNER:-}" ]; then
  # A private session bus for the accessibility bus of this run.
  exec env KOLVAR_E2E_INNER=1 BUILD="$BUILD" dbus-run-session -- "$0" "$OUT"
fi

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[$i]}" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

DB_FILE=$WORK/kolvar.db
DB="sqlite://$DB_FILE"
SERVER=$BUILD/bin/kolvar-server
"$SERVER" init --db "$DB" >/dev/null
"$SERVER" seed-demo --db "$DB" >/dev/null
"$SERVER" register-machine --db "$DB" --machine-id "$("$BUILD/bin/kolvar-machine-id")" --user BAYI >/dev/null
"$SERVER" serve --db "$DB" --port 9090 --web-port 8080 >"$WORK/server.log" 2>&1 &
PIDS+=($!)

sql() { /usr/bin/python3 -c 'import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute(sys.argv[2]).fetchone()[0])' "$DB_FILE" "$1"; }
CARINO=$(sql "SELECT carino FROM kullanicilar WHERE adi = 'BAYI'")
# A stock with a picture that is not in the basket yet, so the road adds a line.
STOK=$(sql "SELECT s.barkod FROM stoklar s JOIN stok_resimleri r ON r.stokno = s.stokno WHERE s.stokno NOT IN (SELECT stokno FROM sepet WHERE carino = $CARINO) ORDER BY s.stokno LIMIT 1")
ORDERS_BEFORE=$(sql "SELECT COUNT(*) FROM siparisler WHERE carino = $CARINO")
MESAJ="Uctan uca deneme $(date +%s)"

export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/vozovodadivaru"
printf '[kullanici]\nisim=BAYI\nsifre=1234\nhat%%U0131rla=1\n' >"$XDG_CONFIG_HOME/vozovodadivaru/ayar.ini"

DISPLAY_NO=99
while [ -e "/tmp/.X11-unix/X$DISPLAY_NO" ]; do DISPLAY_NO=$((DISPLAY_NO + 1)); done
Xvfb ":$DISPLAY_NO" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
export DISPLAY=":$DISPLAY_NO"
for _ in $(seq 1 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
PIDS+=($!)
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=tr_TR.UTF-8
"$BUILD/bin/kolvar-client" >"$WORK/client.log" 2>&1 &
PIDS+=($!)

mkdir -p "$OUT"
if ! /usr/bin/python3 scripts/e2e/siparis_yolu.py "$OUT" "$STOK" "$MESAJ"; then
  echo "--- client log" >&2; cat "$WORK/client.log" >&2
  echo "--- server log (tail)" >&2; tail -20 "$WORK/server.log" >&2
  exit 1
fi

ORDERS_AFTER=$(sql "SELECT COUNT(*) FROM siparisler WHERE carino = $CARINO")
LINES=$(sql "SELECT COUNT(*) FROM siparis_satirlari s JOIN siparisler o ON o.idno = s.idno WHERE o.carino = $CARINO AND o.aciklama = '$MESAJ'")
if [ "$((ORDERS_AFTER - ORDERS_BEFORE))" -ne 1 ] || [ "$LINES" -lt 1 ]; then
  echo "expected one new order with its lines; orders $ORDERS_BEFORE -> $ORDERS_AFTER, lines $LINES" >&2
  exit 1
fi
echo "one order recorded ($LINES line(s)); screenshots in $OUT"
