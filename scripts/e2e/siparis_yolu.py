#!/usr/bin/python3
"""Walks the road of an order through the running client's accessibility
tree (AT-SPI): search, open a stock, add it, select it in the basket,
choose delivery, cargo type and carrier, send and confirm. Mouse and keys go
through xdotool at the places the tree reports; screenshots through
ImageMagick's import. Exits non-zero at the first step that does not work.

    siparis_yolu.py <screenshot folder> <search text> <message>
"""
import re
import subprocess
import sys
import time

import pyatspi

OUT, ARAMA, MESAJ = sys.argv[1], sys.argv[2], sys.argv[3]


def log(text):
    print(f"[yol] {text}", flush=True)


def app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name == "Kolvar Otomotiv B2B":
            return a
    return None


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def find(role, name, timeout=20.0, root=None, visible=True):
    """The first node of `role` (a regular expression too) whose name
    matches the regular expression."""
    pattern = re.compile(name)
    roles = re.compile(role)
    deadline = time.time() + timeout
    while time.time() < deadline:
        base = root or app()
        if base is not None:
            for n in walk(base):
                try:
                    if roles.fullmatch(n.getRoleName()) and pattern.fullmatch(n.name or "") and \
                            (not visible or showing(n)):
                        return n
                except Exception:
                    continue
        time.sleep(0.2)
    raise SystemExit(f"no {role} named /{name}/ appeared")


def centre(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x + e.width // 2, e.y + e.height // 2


def click(node, double=False):
    x, y = centre(node)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    subprocess.run(["xdotool", "click", "--repeat", "2" if double else "1", "--delay", "80", "1"], check=True)


def press(node):
    node.queryAction().doAction(0)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "60", *names], check=True)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)


def shot(name):
    path = f"{OUT}/{name}"
    subprocess.run(["import", "-window", "root", path], check=True)
    log(f"screenshot {path}")


def wait_until(what, test, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if test():
            return
        time.sleep(0.2)
    raise SystemExit(f"timed out waiting for {what}")


# Sign in: the name and password are remembered in ayar.ini.
log("sign in")
press(find("push button", "Giriş", timeout=60))
find("page tab", "Stok Listesi", timeout=60)
# Without a window manager the window keeps its designed size: fill the screen.
def fill_screen():
    # ASCII only: xdotool's pattern does not match the dotless i under every locale.
    for _ in range(50):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kolvar Otomotiv B2B Program"],
                               capture_output=True, text=True).stdout.split()
        if found:
            subprocess.run(["xdotool", "windowmove", "--sync", found[0], "0", "0"], check=False)
            subprocess.run(["xdotool", "windowsize", "--sync", found[0], "1600", "1000"], check=False)
            log("window " + subprocess.run(["xdotool", "getwindowgeometry", found[0]], capture_output=True,
                                           text=True).stdout.replace("\n", " "))
            return
        time.sleep(0.2)
    log("main window not found to resize")


fill_screen()
time.sleep(2)  # start-time job

log(f"search {ARAMA}")
ara = find("text", "Ara")
click(ara)
typed(ARAMA)
keys("Return")
sekme = find("page tab", r"\d+=Stok Listesi", timeout=30)
log(f"result: {sekme.name}")

log("open the first stock")
tablo = find("table", ".*")
wait_until("rows", lambda: tablo.queryTable().nRows > 0)
hucre = tablo.queryTable().getAccessibleAt(0, tablo.queryTable().nColumns // 2)
click(hucre, double=True)
pencere = find("dialog", "Sepete Ekle", timeout=20)
adet = find("spin button", ".*", root=pencere)
click(adet)
keys("ctrl+a")
typed("3")
time.sleep(0.3)
keys("Return")
wait_until("detail window closed", lambda: not showing(pencere))

log("basket")
click(find("page tab", r"(\d+=)?Sepet"))
find("page tab", r"[1-9]\d*=Sepet", timeout=20)
press(find("push button", "Hepsini Seç"))
time.sleep(1)

log("delivery, cargo type, carrier")
teslim = [n for n in walk(find("panel", "Teslim Durumu")) if n.getRoleName() == "radio button"]
if not any(n.getState().contains(pyatspi.STATE_CHECKED) for n in teslim):
    raise SystemExit("no delivery option chosen by default")
turler = [n for n in walk(find("panel", "Kargo Türleri")) if n.getRoleName() == "radio button"]
if not turler:
    raise SystemExit("no cargo types")
click(turler[0])
time.sleep(1)
combo = find("combo box", ".*", root=find("panel", "Kargo"))
if not (combo.name or "").strip():
    click(combo)
    time.sleep(0.5)
    keys("Down", "Return")
    time.sleep(0.5)
mesaj = find("text", "Mesaj")
click(mesaj)
typed(MESAJ)

time.sleep(0.5)
shot("siparis-sepet.png")

log("send")
press(find("push button", "Gönder"))
onay = find("dialog", "Sipariş Onay", timeout=20)
time.sleep(0.5)
shot("siparis-onay.png")
press(find("push button", "Evet", root=onay))
bilgi = find("dialog|alert", ".*", timeout=20)
find("label", ".*Siparişiniz Gönderildi !.*", root=bilgi, timeout=10)
press(find("push button", "OK|Tamam", root=bilgi))
log("order sent")
