# What the benches write: Markdown tables, the machine they ran on, the frame-time plot, and each bench's own
# block of docs/PERFORMANCE.md, between its two marks.
import os
import platform
import re
import subprocess
import time

from game import ROOT

PERFORMANCE = ROOT / "docs" / "PERFORMANCE.md"


def table(heading, header, rows):
    return ["", heading, "", "| " + " | ".join(header) + " |", "|---" * len(header) + "|",
            *("| " + " | ".join(row) + " |" for row in rows)]


# When, by which make target, in how long and on what: the first words of a block.
def stamp(target, seconds):
    model = re.search(r"Model name:\s*(.+)", subprocess.run(["lscpu"], stdout=subprocess.PIPE, text=True).stdout)
    return (f"Measured {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())} by `make {target}` in {seconds:.0f} s "
            f"on {model.group(1)}, {os.cpu_count()} cores, Linux {platform.release()}")


# Puts `lines` between the marks of `make TARGET` in docs/PERFORMANCE.md, leaving the rest as it is; prints them.
def rewrite(target, lines):
    begin, end = f"<!-- results:begin (written by make {target}) -->", f"<!-- results:end (make {target}) -->"
    head, rest = PERFORMANCE.read_text().split(begin)
    block = "\n".join([begin, *lines, "", end])
    PERFORMANCE.write_text(head + block + rest.split(end)[1])
    print(block)


# Cumulative distributions of frame times from `data` by renderer, game against floor: wall clock left, CPU
# time right, with the frame budget.
def plot(data, png, frames, budget_ms):
    script = ["set terminal pngcairo size 1400,600 noenhanced", f"set output '{png}'",
              f"set multiplot layout 1,2 title 'Frame step (update + render + present) against the floor, the same pixels by "
              f"five full copies, {frames} frames each; red: the {budget_ms:.2f} ms frame budget'",
              "set xlabel 'milliseconds per frame, log scale'", "set ylabel 'fraction of frames at or below'",
              "set key bottom right", "set grid", "set logscale x", "set xrange [1:*]",
              f"set arrow from {budget_ms},0 to {budget_ms},1 nohead dt 3 lc rgb 'red'"]
    for title, column in (("wall clock", 1), ("CPU time of the process, all threads", 2)):
        curves = [f"'{data[renderer]}' using {column + shift}:(1) smooth cnormal lw 2 dt {dash} "
                  f"lc rgb '{colour}' title '{renderer}: {kind}'"
                  for renderer, colour in (("software", "#1f5fbf"), ("default", "#d9730d"))
                  for kind, shift, dash in (("game", 0, 1), ("floor", 2, 2))]
        script += [f"set title '{title}'", "plot " + ", ".join(curves)]
    subprocess.run(["gnuplot"], input="\n".join(script + ["unset multiplot"]), text=True, check=True)
