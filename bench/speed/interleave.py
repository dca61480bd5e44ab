#!/usr/bin/env python3
"""Times commands with hyperfine in rounds, the commands taking turns, so that
a change of load on the machine hits all of them alike; prints the median
wall time of each in milliseconds as JSON ({"label": ms, ...}).

    interleave.py [--rounds R] [--runs K] [--prepare CMD] LABEL=COMMAND ...
"""
import argparse
import json
import statistics
import subprocess
import sys
import tempfile


def hyperfine(command, runs, prepare, warmup):
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        args = ["hyperfine", "-N", "--style", "none", "--runs", str(runs), "--warmup", str(warmup),
                "--export-json", out.name]
        if prepare:
            args += ["--prepare", prepare]
        done = subprocess.run(args + [command], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            sys.exit("failed: %s\n%s" % (command, done.stderr))
        return json.load(open(out.name))["results"][0]["times"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--runs", type=int, default=3, help="runs of each command per round")
    parser.add_argument("--prepare", default=None)
    parser.add_argument("commands", nargs="+")
    options = parser.parse_args()
    commands = [c.split("=", 1) for c in options.commands]
    times = {label: [] for label, _ in commands}
    for round_index in range(options.rounds):
        for label, command in commands:
            warmup = 1 if round_index == 0 and not options.prepare else 0
            times[label] += hyperfine(command, options.runs, options.prepare, warmup)
    print(json.dumps({label: statistics.median(t) * 1000 for label, t in times.items()}))


main()
