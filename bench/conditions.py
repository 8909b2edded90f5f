# What else the machine did while a bench measured: load averages, and the cores others kept busy.
import os
import time


# The load averages over 1, 5 and 15 minutes.
def load():
    return " ".join(open("/proc/loadavg").read().split()[:3])


# Busy CPU seconds since boot less ours: this driver, its ended children and the X server of DISPLAY, whose
# lock file holds its process id. Steal counts.
def others_busy():
    server = open("/tmp/.X%s-lock" % os.environ["DISPLAY"].lstrip(":").split(".")[0]).read().strip()
    ticks = [int(n) for n in open("/proc/stat").readline().split()[1:9]]
    server_ticks = sum(map(int, open(f"/proc/{server}/stat").read().rsplit(")", 1)[1].split()[11:13]))
    return (sum(ticks) - ticks[3] - ticks[4] - server_ticks) / os.sysconf("SC_CLK_TCK") - sum(os.times()[:4])


# Runs `measure`; returns its result and the conditions: load averages at the start, cores others kept busy.
def measured(what, measure):
    print(f"bench: {what}", flush=True)
    at_start, began, busy = load(), time.monotonic(), others_busy()
    result = measure()
    return result, f"{at_start}; others {max(0.0, others_busy() - busy) / (time.monotonic() - began):.2f} cores"
