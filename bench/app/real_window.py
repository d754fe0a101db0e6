"""The desktop of the window's end-to-end tests for benchmarks of the real window.

tests/e2e/window_e2e.sh --connect provides Xvfb, a tray host, the session and
accessibility buses, the card simulator and the simulated link in a private network
namespace; a benchmark script runs itself again inside it (as its driver) and uses the
test drivers' helpers there. Also the CPU figures of a process read from /proc.
"""
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BIN = os.path.join(HERE, "../../build/release/bin")
E2E = os.path.join(HERE, "../../tests/e2e/window_e2e.sh")


def inside():
    return "VR31K_E2E_WORK" in os.environ


def arguments(parser):
    """The command line's arguments: read outside, handed over to the run inside."""
    if inside():
        return parser.parse_args(json.loads(os.environ["VR31K_BENCH_ARGV"]))
    return parser.parse_args()


def run_inside(script, bin_dir):
    """Runs `script` again inside the desktop; its exit status (77: the machine lacks a piece)."""
    env = dict(os.environ, VR31K_E2E_DRIVER=os.path.abspath(script), VR31K_BENCH_ARGV=json.dumps(sys.argv[1:]))
    return subprocess.run([E2E, "--connect", os.path.abspath(bin_dir)], env=env).returncode


def cpu_sample(pid):
    """(CPU clock ticks of user and system time, context switches) of a process's threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime + stime
    switches = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                switches += int(line.split()[1])
    return ticks, switches


def run_time_ns(pid):
    """Nanoseconds the process's live threads have run (finer than the clock ticks)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:  # the thread ended meanwhile
            pass
    return total


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])
