"""A long connection history as CSV, in the form `vr31kctl history import` reads.

Rows spread evenly over the days before `last`, with the variety the list must sort:
entry names of mixed case, durations from seconds to hours, volumes from 0 bytes to
more than 2^30 (shown in kBytes), and now and then no charge. The current billing
period gets light traffic, so that its pace, not its total, crosses the plan's amounts.
The same seed gives the same history.
"""
import datetime
import random

ENTRIES = ("mobile.korvane.ne.jp", "apn.example.jp", "Biz.example.co.jp", "test")
STAMP = "%Y/%m/%d %H:%M:%S"


def rows(count, last, days, light_since, light_mean, seed=12):
    """Yields (entry, start, end, seconds, sent, recv, left_free, left_limit, charge)."""
    rng = random.Random(seed)
    first = last - datetime.timedelta(days=days)
    step = (last - first) / count
    for i in range(count):
        end = first + step * (i + 1)
        # Mostly minutes, now and then hours.
        seconds = rng.randint(1, 10800) if rng.randrange(100) == 0 else rng.randint(1, 600)
        sent_share = 10
        if end >= light_since:
            total = rng.randint(0, 2 * light_mean)
        elif rng.randrange(400) == 0:
            total = rng.randint(1_200_000_000, 2_100_000_000)
            sent_share = rng.choice((10, 1))  # a download or an upload
        else:
            total = rng.randint(0, 4_000_000)
        sent = total // sent_share if sent_share > 1 else total - total // 10
        charge = "" if rng.randrange(20) == 0 else str(rng.randrange(5000))
        yield (rng.choice(ENTRIES), end - datetime.timedelta(seconds=seconds), end, seconds, sent, total - sent,
               rng.randrange(700000), rng.randrange(4000000), charge)


def write_csv(path, history):
    with open(path, "w", encoding="utf-8") as out:
        out.write("entry,start,end,duration_s,sent,recv,left_free,left_limit,charge\n")
        for entry, start, end, seconds, sent, recv, free, limit, charge in history:
            out.write(f"{entry},{start.strftime(STAMP)},{end.strftime(STAMP)},{seconds},{sent},{recv},"
                      f"{free},{limit},{charge}\n")
