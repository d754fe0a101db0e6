"""Drives the real vr31k-utility through its accessibility tree, as a person would.

Run by window_e2e.sh, which provides the X server, the tray host, the session and
accessibility buses and the card simulator. Steps: a start in the tray, its menu and a
left click back; the signal display following the card's level; card information; the card
pulled and back with a SIM that refuses a wrong PIN; another program holding the port,
named in the card check's box and in the diagnosis it opens; the utility settings refusing 5 and
accepting 60; the version dialog; the exit command.
Screenshots go to $VR31K_SHOTS when it is set.
"""
import os
import subprocess
import sys
import time

import pyatspi

BIN = os.environ["VR31K_BIN"]
WORK = os.environ["VR31K_E2E_WORK"]
SHOTS = os.environ.get("VR31K_SHOTS") or ""
DATA = os.path.join(WORK, "data")
TITLE = "KORVANE VR31K ユーティリティ"
ENV = dict(os.environ, VR31K_DATA_DIR=DATA, VR31K_LOCK_DIR=WORK, VR31K_PORT=os.path.join(WORK, "card"),
           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_LOGGING_RULES="vr31k.*.info=true")


def run(*args):
    return subprocess.run(list(args), env=ENV, check=True, capture_output=True, text=True).stdout


def ctl(*args):
    return run(os.path.join(BIN, "vr31kctl"), "--data-dir", DATA, *args)


def sim(line):
    run(os.path.join(BIN, "vr31k-cardsim"), "--tell", os.path.join(WORK, "card-control"), line)


def wait(condition, what, timeout=15.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "vr31k-utility":
            return app
    return None


TABLES = ("table", "tree table", "tree")


def walk(node):
    """The node and what lies under it; a table's cells are read through its table
    interface instead (a long history has millions of them)."""
    if node is None:
        return
    yield node
    try:
        if node.getRoleName() in TABLES:
            return
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # it went away while we looked (a box that just closed)
        return
    for child in children:
        yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def find(role, name, visible=True):
    app = application()
    for node in walk(app):
        try:
            if node.getRoleName() == role and node.name == name and (not visible or showing(node)):
                return node
        except Exception:  # a node that went away while we looked
            continue
    return None


def texts_of(window):
    """What the labels and read-only fields of a window show."""
    shown = []
    for node in walk(window):
        if node.getRoleName() not in ("label", "text"):
            continue
        try:
            shown.append(node.queryText().getText(0, -1))
        except NotImplementedError:
            shown.append(node.name)
    return shown


def press(node):
    node.queryAction().doAction(0)


def click(node):
    """A mouse click in the middle of the control."""
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1"],
                   check=True)


def press_named(role, name):
    # Menu items are reachable while their menu is closed.
    press(wait(lambda: find(role, name, visible=role != "menu item"), f"{role} '{name}'"))


def shot(name):
    if SHOTS:
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name + ".png")], check=False)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def start(**env):
    """The utility, with `env` added to its environment."""
    log = open(os.path.join(WORK, "utility.log"), "a")
    return subprocess.Popen([os.path.join(BIN, "vr31k-utility")], env=dict(ENV, **env), stdout=log,
                            stderr=subprocess.STDOUT)


def child(window, role, name):
    return next((n for n in walk(window) if n.getRoleName() == role and n.name == name), None)


def answer_box(caption, button="OK"):
    """Presses `button` of the message box titled `caption`."""
    box = wait(lambda: find("dialog", caption) or find("alert", caption), "the box " + caption)
    press(wait(lambda: child(box, "push button", button), button + " of " + caption))
    wait(lambda: find("dialog", caption) is None and find("alert", caption) is None, caption + " to close")


def picture():
    node = next((n for n in walk(application()) if n.getRoleName() == "image"), None)
    return node.name if node is not None else ""


# Opens the port named by its argument and locks it as a dialler does, then sleeps.
HOLD_PORT = """
import fcntl, os, sys
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
os.set_inheritable(fd, True)
os.execvp("sleep", ["sleep", "60"])
"""


def main():
    ctl("plan", "set", "--type", "0", "--price", "0.05", "--packet-size", "128")
    ctl("settings", "set-utility", "--iconized-start", "1", "--oneshot", "0")
    # Its waits at a fifth: the port held by another program is told after 1 s, not 5.
    utility = start(VR31K_WAIT_PERCENT="20")

    # Started in the tray: no window, an icon with its menu; a left click restores it.
    wait(application, "the utility on the accessibility bus")
    icon = wait(tray_icon, "the tray icon")
    time.sleep(0.5)
    assert find("frame", TITLE) is None, "the window stays hidden in the tray"
    x, y = icon
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "mousedown", "3"], check=True)
    time.sleep(1.0)
    shot("tray-menu")
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    subprocess.run(["xdotool", "mouseup", "3"], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
    wait(lambda: find("frame", TITLE), "the window back from the tray")
    assert tray_icon() is None, "window and tray icon are never both"
    wait(lambda: find("combo box", "mobile.korvane.ne.jp"), "the entry combo box with the factory entry")
    assert enabled(find("push button", "接続")), "connect is enabled with a ready card"
    assert "使用可能" in picture(), picture()
    shot("main-window")

    # The continuous signal display shows the card's level and follows a change.
    press_named("push button", "電波状態の確認")
    wait(lambda: "電波レベル 3" in picture(), "the simulator's level 3")
    shot("signal-display")
    sim("signal=1")
    wait(lambda: "電波レベル 1" in picture(), "the level following the card", timeout=12)
    press_named("push button", "電波状態の確認中止")
    wait(lambda: find("push button", "電波状態の確認"), "the signal display off")

    # Card information.
    press_named("menu item", "カード情報")
    info = wait(lambda: find("dialog", "データカード情報"), "the card information dialog")
    assert "09012345678" in texts_of(info), texts_of(info)
    shot("card-information")
    press(wait(lambda: child(info, "push button", "OK"), "OK"))
    wait(lambda: find("dialog", "データカード情報") is None, "the card information dialog to close")

    # The card is pulled: the controls grey out. It comes back with a SIM that asks for
    # its PIN: a wrong PIN is refused, the right one makes it ready.
    sim("sim=pin")
    ctl("notify", "card-gone")
    wait(lambda: find("combo box", "mobile.korvane.ne.jp") is None, "no card")
    assert not enabled(find("push button", "接続")) and not enabled(find("push button", "取り外し"))
    assert "データカードなし" in picture(), picture()
    shot("no-card")
    ctl("notify", "card-present")
    for pin, refused in (("9999", True), ("1234", False)):
        dialog = wait(lambda: find("dialog", "PINコード認証"), "the PIN dialog")
        field = wait(lambda: next((n for n in walk(dialog) if n.name == "PINコード" and n.getRoleName() in
                                   ("password text", "text")), None), "the PIN field")
        field.queryEditableText().setTextContents(pin)
        if not refused:
            shot("pin-dialog")
        press(child(dialog, "push button", "OK"))
        if refused:
            answer_box("PINコード不一致")
    wait(lambda: find("combo box", "mobile.korvane.ne.jp"), "the card ready after the PIN")

    # Another program holds the card's port: the card check's box names it and offers
    # the diagnosis, whose list names it too.
    holder = subprocess.Popen(["/usr/bin/python3", "-c", HOLD_PORT, ENV["VR31K_PORT"]])
    wait(lambda: open(f"/proc/{holder.pid}/comm").read() == "sleep\n", "the port's holder")
    ctl("notify", "card-gone")
    wait(lambda: find("combo box", "mobile.korvane.ne.jp") is None, "no card")
    ctl("notify", "card-present")
    box = wait(lambda: find("alert", "通信ポートオープンエラー") or find("dialog", "通信ポートオープンエラー"),
               "the port-open box")
    names = lambda t: "sleep" in t and str(holder.pid) in t
    assert any(names(t) for t in texts_of(box)), texts_of(box)
    shot("port-held-box")
    press(wait(lambda: child(box, "push button", "接続の診断"), "the box's diagnosis button"))
    diagnosis = wait(lambda: find("dialog", "接続の診断"), "the diagnosis dialog")
    table = next(n for n in walk(diagnosis) if n.getRoleName() in TABLES).queryTable()
    cells = lambda: [table.getAccessibleAt(r, c).name for r in range(table.nRows) for c in range(table.nColumns)]
    wait(lambda: any(names(t) for t in cells()), "the holder in the diagnosis")
    shot("diagnosis-dialog")
    holder.kill()
    holder.wait()
    press(child(diagnosis, "push button", "閉じる"))
    wait(lambda: find("dialog", "接続の診断") is None, "the diagnosis dialog to close")
    ctl("notify", "card-gone")
    ctl("notify", "card-present")
    wait(lambda: find("combo box", "mobile.korvane.ne.jp"), "the card ready once the port is free")

    # Utility settings: the display time 5 is refused, 60 accepted and written.
    press_named("menu item", "ユーティリティ設定")
    settings = wait(lambda: find("dialog", "ユーティリティ設定"), "the utility settings dialog")
    click(wait(lambda: child(settings, "radio button", "電波状態をワンクリック確認する"), "the one-click radio"))
    time_field = wait(lambda: child(settings, "text", "表示タイマー設定"), "the display time field")
    for value, refused in (("5", True), ("60", False)):
        time_field.queryEditableText().setTextContents(value)
        if not refused:
            shot("utility-settings")
        press(child(settings, "push button", "OK"))
        if refused:
            answer_box("入力値の確認")
    wait(lambda: find("dialog", "ユーティリティ設定") is None, "the settings dialog to close")
    shown = ctl("--json", "settings", "show")
    assert '"AntDispOneshotTime": 60' in shown and '"AntDispOneshot": 1' in shown, shown

    # The version dialog.
    press_named("menu item", "ユーティリティ バージョン")
    about = wait(lambda: find("dialog", "バージョン情報 KORVANE VR31K ユーティリティ"), "the version dialog")
    assert any("ユーティリティバージョン: Ver " in t for t in texts_of(about)), texts_of(about)
    press(child(about, "push button", "OK"))

    # The exit command ends the program.
    press_named("menu item", "終了")
    assert utility.wait(timeout=15) == 0
    print("window end to end: all steps passed")


def tray_icon():
    """The centre of the utility's tray icon, or None."""
    # Every window: the icon is reparented into the tray host, where a search by name
    # does not always look.
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", ""], capture_output=True,
                           text=True).stdout.split()
    for window in found:
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout.strip()
        if name != "vr31k-utility":
            continue
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                                  text=True).stdout
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        if 8 <= int(values.get("WIDTH", 0)) <= 64:
            return int(values["X"]) + int(values["WIDTH"]) // 2, int(values["Y"]) + int(values["HEIGHT"]) // 2
    return None


def run_main(body):
    try:
        body()
    except AssertionError as failure:
        shot("failure")
        print("FAIL:", failure)
        with open(os.path.join(WORK, "utility.log")) as log:
            print(log.read())
        sys.exit(1)


if __name__ == "__main__":
    run_main(main)
