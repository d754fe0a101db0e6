"""The usage views of the real window over a long history, as a person would use them.

Run by window_e2e.sh --usage. A history of 100,000 connections is imported into the data
folder before the utility starts. Steps: the totals sheet, its month totals and the
line saying where the current period's charge is heading (the same figures as
`vr31kctl usage`); the plan page refusing a two-stage plan whose cap lies below the
free-allowance fee; the history list with every row, sorted by 送信データ量 both ways
(the first rows read through the table's cells), then cleared after its question.
Before those, the 「プログラム別」 page: a link another dialler made, with its programs'
figures, waits in the spool; the utility's start imports both, and the page shows the
programs `vr31kctl usage --programs` lists, sorted by a click on a heading.
Figures are printed as "figure: NAME VALUE"; screenshots go to $VR31K_SHOTS.
"""
import datetime
import json
import os
import subprocess
import time

import generated_history
import pyatspi
import window_e2e as ui

TITLE = ui.TITLE
ROWS = 100_000
SENT = 4  # the 送信データ量 column


def figure(name, seconds):
    print(f"figure: {name} {seconds:.2f} s", flush=True)


def prepare():
    """The history, the plan and a shown window, all before the utility starts."""
    now = datetime.datetime.now().replace(microsecond=0)
    month = now.replace(day=1, hour=0, minute=0, second=0)
    # About a hundred connections a day for 1,000 days.
    last = max(now - datetime.timedelta(minutes=30), min(month + datetime.timedelta(seconds=1), now))
    history = list(generated_history.rows(ROWS, last, 1000, month, 6000))
    path = os.path.join(ui.WORK, "history.csv")
    generated_history.write_csv(path, history)
    started = time.monotonic()
    ui.ctl("history", "import", path)
    figure("import", time.monotonic() - started)
    # A notice amount and a cap for the month's pace to head past (the line warns then);
    # the period closes at the month's end.
    ui.ctl("plan", "set", "--type", "2", "--price", "0.05", "--packet-size", "128", "--cap", "9800",
           "--notice-charge", "5000", "--notice-ratio", "80", "--closing-day", "32")
    ui.ctl("settings", "set-utility", "--iconized-start", "0")
    # The link's row joins the list once the utility has imported it.
    return history + [spool_link(max(now - datetime.timedelta(minutes=2), month + datetime.timedelta(seconds=1)))]


# A link of this month as pppd's hook and the link's reader leave it in the spool.
LINK_PROGRAMS = ("program=unit 250000 50000 0 0 apt-daily-upgrade.service\tapt-daily-upgrade.service\n"
                 "program=app 50000 640000 4096 0 firefox-esr.desktop\tFirefox ESR\n"
                 "program=other 0 10000 0 0 \t\u305d\u306e\u4ed6\n")


def spool_link(ended):
    end = int(ended.timestamp())
    spool = os.path.join(ui.DATA, "spool")
    os.makedirs(spool, mode=0o700, exist_ok=True)
    with open(os.path.join(spool, f"pppd-{end}-e2e.rec"), "w", encoding="utf-8") as out:
        out.write(f"vr31k-usage 1\nsource=pppd\nentry=e2e-dialler\ninterface=ppp0\ntty=/dev/ttyUSB2\nend={end}\n"
                  "duration=600\nsent=300000\nrecv=700000\n")
    with open(os.path.join(spool, "programs-e2e-7.prog"), "w", encoding="utf-8") as out:
        out.write(f"vr31k-programs 1\ninterface=ppp0\ntty=/dev/ttyUSB2\nboot=e2e\nifindex=7\nstart={end - 600}\n"
                  f"updated={end + 2}\nfinal=1\n" + LINK_PROGRAMS)
    return ("e2e-dialler", None, ended, 600, 300000, 700000, None, None, None)


def number(text):
    """The bytes a cell of a byte column stands for."""
    value, unit = text.rsplit(" ", 1)
    return int(value.replace(",", "")) * (1024 if unit == "kBytes" else 1)


def byte_text(count):
    """A byte count as the views write it."""
    return f"{count // 1024:,} kBytes" if count > 1_073_741_824 else f"{count:,} Bytes"


def cell(table, row, column):
    """The text of a cell; None while the list is being rebuilt."""
    node = table.getAccessibleAt(row, column)
    return node.name if node is not None else None


def shot(name, *windows):
    """A screenshot of just the windows shown (a message box with the window under it)."""
    if not ui.SHOTS:
        return
    boxes = [w.queryComponent().getExtents(pyatspi.DESKTOP_COORDS) for w in windows]
    left, top = min(b.x for b in boxes), min(b.y for b in boxes)
    right, bottom = max(b.x + b.width for b in boxes), max(b.y + b.height for b in boxes)
    subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    os.path.join(ui.SHOTS, name + ".png")], check=False)


def text_of(node):
    return node.queryText().getText(0, -1)


def field(window, name):
    return ui.wait(lambda: ui.child(window, "text", name), "the field " + name)


def type_into(node, text):
    """Selects the field's text and types over it, as a person would."""
    ui.click(node)
    subprocess.run(["xdotool", "key", "ctrl+a", "type", "--delay", "20", text], check=True)


def totals():
    """The month page: the newest period's totals and where its charge is heading."""
    periods = json.loads(ui.ctl("--json", "history", "periods"))["periods"]
    expected = json.loads(ui.ctl("--json", "history", "totals", "--period", periods[0]))
    started = time.monotonic()
    ui.press_named("menu item", "通信集計")
    sheet = ui.wait(lambda: ui.find("dialog", "通信集計"), "the totals sheet")
    sent = field(sheet, "送信データ量")
    ui.wait(lambda: text_of(sent), "the month's totals")
    figure("totals-open", time.monotonic() - started)
    shown = {name: text_of(field(sheet, name)) for name in ("送信データ量", "受信データ量", "概算料金")}
    want = {"送信データ量": byte_text(expected["sent"]), "受信データ量": byte_text(expected["recv"]),
            "概算料金": f"\u00a5 {expected['charge']:,}"}
    assert shown == want, (shown, want)

    line = field(sheet, "予想金額")
    usage = json.loads(ui.ctl("--json", "usage"))
    assert usage["period"] == periods[0], usage
    days = usage["days_left"]
    tail = f"(あと {days} 日)" if days > 0 else "(本日締め)"
    assert text_of(line) == f"この期間の予想金額: 約 {usage['projected_charge']:,} 円 {tail}", (text_of(line), usage)
    assert line.description == (usage["warning"] or ""), (line.description, usage["warning"])
    if usage["warning"]:
        assert ui.child(sheet, "label", usage["warning"]) is not None, "the warning under the line"
    print("projection:", text_of(line), "/", line.description, flush=True)
    # The chart marks the days the notice would be reached at each pace, and says so; no
    # mark when it is reached already or lies after the period (the day of the month decides).
    notice = next(t for t in usage["pace"] if t["mark"] == "notice")
    chart = ui.wait(lambda: ui.child(sheet, "filler", "期間中の利用状況"), "the chart")
    days = {f"{int(d[5:7])}/{int(d[8:10])}" for d in (notice["day_by_mean"], notice["day_by_week"]) if d}
    marked = "通信料通知に" in chart.description and all(d in chart.description for d in days)
    assert marked == bool(days), (chart.description, notice)
    shot("totals-month", sheet)
    ui.press(ui.child(sheet, "push button", "OK"))
    ui.wait(lambda: ui.find("dialog", "通信集計") is None, "the totals sheet to close")


def programs():
    """The 「プログラム別」 page: the period's programs as vr31kctl lists them, sortable."""
    usage = json.loads(ui.ctl("--json", "usage", "--programs"))
    assert [p["name"] for p in usage["programs"]] == ["Firefox ESR", "apt-daily-upgrade.service", "その他"], usage
    ui.press_named("menu item", "通信集計")
    sheet = ui.wait(lambda: ui.find("dialog", "通信集計"), "the totals sheet")
    ui.click(ui.wait(lambda: ui.child(sheet, "page tab", "プログラム別"), "the programs tab"))
    table = ui.wait(lambda: next((n for n in ui.walk(sheet) if n.getRoleName() in ui.TABLES
                                  and n.name == "プログラム別の通信量"), None), "the programs table").queryTable()
    ui.wait(lambda: table.nRows == 3, "three programs")
    rows = [[cell(table, r, c) for c in range(6)] for r in range(3)]
    want = [[p["name"], None, byte_text(p["sent"]), byte_text(p["recv"]),
             byte_text(p["blocked_sent"] + p["blocked_recv"]), f"\u00a5 {p['charge_share']:,}"]
            for p in usage["programs"]]
    assert [[c for i, c in enumerate(r) if i != 1] for r in rows] == [[c for i, c in enumerate(w) if i != 1]
                                                                      for w in want], (rows, want)
    assert [r[1] for r in rows] == ["アプリケーション", "サービス", "その他"], rows
    # The month's generated connections have no per-program figures: the page says so.
    assert ui.child(sheet, "label", usage["missing"]) is not None, usage["missing"]
    ui.click(table.getColumnHeader(2))  # 送信データ量
    ui.wait(lambda: cell(table, 0, 0) == "その他", "the programs sorted by bytes sent")
    print("programs:", rows, flush=True)
    shot("totals-programs", sheet)
    ui.press(ui.child(sheet, "push button", "OK"))
    ui.wait(lambda: ui.find("dialog", "通信集計") is None, "the totals sheet to close")


def plan_page():
    """A two-stage plan whose cap lies below the free-allowance fee is refused."""
    ui.press_named("menu item", "ダイヤルアップ設定")
    sheet = ui.wait(lambda: ui.find("dialog", "ダイヤルアップ設定"), "the dial-up settings", timeout=30)
    ui.click(ui.wait(lambda: ui.child(sheet, "page tab", "料金プラン設定"), "the plan tab"))
    # A combo box is named by its current item here (its caption is a label beside it):
    # the list that offers ２段階定額.
    kind = ui.wait(lambda: next((n for n in ui.walk(sheet) if n.getRoleName() == "combo box" and ui.showing(n)
                                 and ui.child(n, "list item", "２段階定額") is not None), None),
                   "the charge type list")
    # Keys on the closed list move its selection, as they do for a person: a click opens
    # its popup (waited for, it may come up late), Escape closes it with the list focused.
    ui.click(kind)
    ui.wait(lambda: kind.getState().contains(pyatspi.STATE_EXPANDED), "the charge type list to open")
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    ui.wait(lambda: not kind.getState().contains(pyatspi.STATE_EXPANDED), "the charge type list to close")
    subprocess.run(["xdotool", "key", "Home", "Down", "Down", "Down"], check=True)
    ui.wait(lambda: kind.name == "２段階定額" and ui.find("text", "無料パケット量") is not None, "the type 3 fields")
    for name, value in (("無料パケット量", "20000"), ("パケット無料通信料", "2000"), ("パケット定額料", "1000")):
        type_into(field(sheet, name), value)
    ui.press(ui.child(sheet, "push button", "OK"))
    box = ui.wait(lambda: ui.find("dialog", "パケット課金設定の確認") or ui.find("alert", "パケット課金設定の確認"),
                  "the refusal")
    said = [n.name for n in ui.walk(box) if n.getRoleName() == "label"]
    assert any("パケット定額料がパケット無料通信料未満に設定されています。" in t for t in said), said
    time.sleep(0.3)
    shot("plan-refused", sheet, box)
    ui.answer_box("パケット課金設定の確認")
    assert ui.find("dialog", "ダイヤルアップ設定") is not None, "the sheet stays open"
    ui.press(ui.child(sheet, "push button", "キャンセル"))
    ui.wait(lambda: ui.find("dialog", "ダイヤルアップ設定") is None, "the settings to close")
    plan = json.loads(ui.ctl("--json", "plan", "show"))["settings"]
    assert plan["ChargeType"] == 2 and plan["FreeCall1"] == -1, "the refused plan was not stored: " + str(plan)


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        line = next(line for line in status if line.startswith("VmRSS:"))
    return int(line.split()[1]) / 1024


def history_list(history, pid):
    """Every row, sorted by 送信データ量 both ways, then cleared after the question."""
    before = resident_mb(pid)
    started = time.monotonic()
    ui.press_named("menu item", "通信履歴")
    dialog = ui.wait(lambda: ui.find("dialog", "通信履歴"), "the history list", timeout=30)
    table = ui.wait(lambda: next((n for n in ui.walk(dialog) if n.getRoleName() in ui.TABLES), None),
                    "the list")
    table = table.queryTable()
    ui.wait(lambda: table.nRows == len(history), f"{len(history)} rows")
    figure("list-open", time.monotonic() - started)
    print(f"figure: list-memory {resident_mb(pid) - before:.0f} MB more resident with the list open", flush=True)
    sent = sorted(row[4] for row in history)
    for ascending, first in ((True, sent[:5]), (False, sent[::-1][:5])):
        want = [byte_text(value) for value in first]
        time.sleep(0.8)  # two quick clicks on a header are a double click, not two sorts
        started = time.monotonic()
        ui.click(table.getColumnHeader(SENT))
        # The rows that sort first are those the list shows first.
        ui.wait(lambda: cell(table, 0, SENT) == want[0], "the list to sort")
        figure("sort-" + ("ascending" if ascending else "descending"), time.monotonic() - started)
        shown = [number(cell(table, row, SENT)) for row in range(5)]
        # The byte texts round kBytes down: compare as the list shows them.
        assert shown == [number(text) for text in want], (ascending, shown, want)
    shot("history-list", dialog)

    ui.press(ui.child(dialog, "push button", "履歴消去"))
    ui.answer_box("履歴データ消去", "はい")
    ui.wait(lambda: table.nRows == 0, "the list empty")
    ui.press(ui.child(dialog, "push button", "OK"))
    ui.wait(lambda: ui.find("dialog", "通信履歴") is None, "the history list to close")
    rows = json.loads(ui.ctl("--json", "history", "list"))["rows"]
    assert rows == [], len(rows)


def main():
    history = prepare()
    utility = ui.start()
    ui.wait(lambda: ui.find("frame", TITLE), "the window", timeout=30)
    totals()
    programs()
    plan_page()
    history_list(history, utility.pid)
    ui.press_named("menu item", "終了")
    assert utility.wait(timeout=15) == 0
    print("usage views end to end: all steps passed")


if __name__ == "__main__":
    ui.run_main(main)
