#!/usr/bin/env python3
"""Timing of the step clock as a JACK client hears it.

Starts a private JACK server on the dummy driver, a recording client and `ozk play` on a
setup whose every step sounds one note, then compares each step's note-on with the grid the
engine keeps: a straight line fitted through all onsets. Prints the deviations (p50, p99,
p99.9, max) in frames and microseconds, how far the fitted step is from the nominal one in
parts per million, how far the onsets wander from the line fitted on the first minute, and
the CPU time `ozk play` used.

    bench/jack_timing.py --build build --period 64 --seconds 60 [--load]

--load keeps both cores busy with two spinning processes while it plays.
"""
import argparse
import json
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time

RATE = 48000


def step_period_ms(bpm):
    # The engine's own formula: tempo and 1/15 rounded to single precision.
    import struct
    f = lambda x: struct.unpack("f", struct.pack("f", x))[0]
    return 1000.0 / (f(bpm) * f(0.06666667))


def setup_json(port, bpm):
    sample = lambda s: {"on": 1, "notes": [s % 12], "program": -1, "velocity": 100,
                        "pan": 64, "duration": 1}
    return {
        "tempoUnit": 0, "tempoBpm": bpm, "deviceId": 0, "channel": 1, "editMeasure": 0,
        "mute": 0, "baseColor": 0, "windowLeft": 0, "windowTop": 0, "measureLength": 16,
        "polyphonic": 1, "volume": 100, "transpose": 0, "portName": port,
        "measures": [{"nextMeasure": m, "repeatCount": 1,
                      "samples": [sample(s) for s in range(16)]} for m in range(8)],
    }


def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.05)
    sys.exit(f"jack_timing: {what} did not come up")


def percentile(sorted_values, p):
    if not sorted_values:
        return float("nan")
    k = min(len(sorted_values) - 1, int(round(p / 100.0 * (len(sorted_values) - 1))))
    return sorted_values[k]


def fit(xs, ys):
    n = len(xs)
    mx, my = sum(xs) / n, sum(ys) / n
    sxx = sum((x - mx) ** 2 for x in xs)
    sxy = sum((x - mx) * (y - my) for x, y in zip(xs, ys))
    b = sxy / sxx
    return my - b * mx, b


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--period", type=int, default=64)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--bpm", type=float, default=300.0)
    ap.add_argument("--load", action="store_true")
    args = ap.parse_args()

    ozk = os.path.join(args.build, "tools/ozk/ozk")
    recorder = os.path.join(args.build, "tests/support/jack_midi_recorder")
    work = tempfile.mkdtemp(prefix="jack-timing-")
    env = dict(os.environ, JACK_DEFAULT_SERVER="thrumbleworx-bench", OMP_NUM_THREADS="1")
    children = []

    def cleanup():
        for p in reversed(children):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()

    try:
        jackd = subprocess.Popen(
            ["jackd", "-n", "thrumbleworx-bench", "-R", "-d", "dummy", "-r", str(RATE), "-p",
             str(args.period)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(jackd)
        wait_for(lambda: subprocess.run(["jack_lsp"], env=env,
                                        capture_output=True).returncode == 0, 10, "jackd")
        rec_out = os.path.join(work, "recorded.txt")
        rec = subprocess.Popen([recorder, "--name", "rec", "--output", rec_out], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(rec)
        time.sleep(1.0)

        setup = os.path.join(work, "loop.ozk")
        subprocess.run([ozk, "build", "-", "-o", setup], input=json.dumps(setup_json("rec:in", args.bpm)),
                       text=True, check=True, env=env)
        if args.load:
            for _ in range(2):
                children.append(subprocess.Popen(["sh", "-c", "while :; do :; done"]))
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        started = time.time()
        subprocess.run([ozk, "play", setup, "--seconds", str(args.seconds)], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.time() - started
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        time.sleep(0.5)
        rec.send_signal(signal.SIGTERM)
        rec.wait(10)
    finally:
        cleanup()

    onsets = []
    with open(rec_out) as f:
        for line in f:
            if line.startswith("#"):
                continue
            frame, usecs, status, d1, d2 = line.split()
            if status != "--" and int(status, 16) & 0xF0 == 0x90 and d2 != "--" and int(d2, 16) > 0:
                onsets.append(int(frame))
    # Unwrap the 32-bit frame counter.
    for i in range(1, len(onsets)):
        while onsets[i] < onsets[i - 1] - (1 << 31):
            onsets[i] += 1 << 32
    n = list(range(len(onsets)))
    a, b = fit(n, onsets)
    dev = sorted(abs(y - (a + b * x)) for x, y in zip(n, onsets))
    nominal = step_period_ms(args.bpm) * RATE / 1000.0
    ppm = (b / nominal - 1.0) * 1e6
    # Wander: a line fitted on the first minute, then the mean offset of the last 10 seconds.
    steps_per_s = 1000.0 / step_period_ms(args.bpm)
    first = max(10, int(min(60.0, args.seconds / 2) * steps_per_s))
    a1, b1 = fit(n[:first], onsets[:first])
    last = n[-int(10 * steps_per_s):]
    wander = sum(onsets[x] - (a1 + b1 * x) for x in last) / len(last)
    us = lambda frames: frames * 1e6 / RATE
    load = "both cores busy" if args.load else "idle"
    print(f"period {args.period}, {load}, {len(onsets)} steps in {args.seconds:g} s")
    for name, p in (("p50", 50), ("p99", 99), ("p99.9", 99.9), ("max", 100)):
        v = percentile(dev, p)
        print(f"  {name:6} {v:8.2f} frames {us(v):9.1f} us")
    print(f"  fitted step {b:.4f} frames, nominal {nominal:.4f}: {ppm:+.1f} ppm")
    print(f"  wander after {args.seconds:g} s from the first minute's line: {wander:+.2f} frames "
          f"({us(wander):+.1f} us)")
    print(f"  ozk play CPU {cpu:.2f} s in {wall:.1f} s = {100 * cpu / wall:.2f} % of one core")


if __name__ == "__main__":
    main()
