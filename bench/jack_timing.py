#!/usr/bin/env python3
"""Timing of the step clock as a JACK client hears it.

Starts a private JACK server on the dummy driver, a recording client and `ozk play` on a
setup whose every step sounds one note, then compares each step's note-on with the grid the
engine keeps: a straight line fitted through all onsets. Prints the deviations (p50, p99,
p99.9, max) in frames and microseconds, how far the fitted step is from the nominal one in
parts per million, how far the onsets wander from the line fitted on the first minute, and
the CPU time `ozk play` used.

    bench/jack_timing.py --build build --period 64 --seconds 60 [--load] [--margin MS]

--load keeps both cores busy with two spinning processes while it plays. --margin is passed
to `ozk play`: how late after its moment a step's messages may be handed over and still be
placed exactly. `ozk play --stats` prints how late they were handed over and what the JACK
port counted (messages written later than stamp + latency, server cycles not yet settled).
"""
import argparse
import json
import os
import resource
import signal
import subprocess
import tempfile
import time

from jack_bench import RATE, SERVER, fit, percentile, start_jackd, stop_all


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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--period", type=int, default=64)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--bpm", type=float, default=300.0)
    ap.add_argument("--load", action="store_true")
    ap.add_argument("--margin", type=float, help="ozk play --margin MS")
    ap.add_argument("--residuals", help="write each step's deviation (us) to FILE.frames and FILE.jack")
    ap.add_argument("--analyse", metavar="RECORDED", help="only analyse a recording made before")
    args = ap.parse_args()

    if args.analyse:
        report(args.analyse, args)
        return
    ozk = os.path.join(args.build, "tools/ozk/ozk")
    recorder = os.path.join(args.build, "tests/platform/support/jack_midi_recorder")
    work = tempfile.mkdtemp(prefix="jack-timing-")
    env = dict(os.environ, JACK_DEFAULT_SERVER=SERVER, OMP_NUM_THREADS="1")
    children = []

    try:
        children.append(start_jackd(args.period, env, os.path.join(work, "jackd.log")))
        rec_out = os.path.join(work, "recorded.txt")
        print(f"recording to {rec_out}")
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
        margin = ["--margin", str(args.margin)] if args.margin is not None else []
        subprocess.run([ozk, "play", setup, "--seconds", str(args.seconds), "--stats"] + margin,
                       env=env, check=True, stderr=subprocess.DEVNULL)
        wall = time.time() - started
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        time.sleep(0.5)
        rec.send_signal(signal.SIGTERM)
        rec.wait(10)
    finally:
        stop_all(children)

    report(rec_out, args)
    print(f"  ozk play CPU {cpu:.2f} s in {wall:.1f} s = {100 * cpu / wall:.2f} % of one core")


def deviations(values):
    """Each onset's distance from the straight line fitted through all of them."""
    n = list(range(len(values)))
    a, b = fit(n, values)
    return [y - (a + b * x) for x, y in zip(n, values)], a, b


def report(recorded, args):
    frames, usecs = [], []
    with open(recorded) as f:
        for line in f:
            if line.startswith("#"):
                continue
            frame, us, status, d1, d2 = line.split()
            if status != "--" and int(status, 16) & 0xF0 == 0x90 and d2 != "--" and int(d2, 16) > 0:
                frames.append(int(frame))
                usecs.append(int(us))
    for i in range(1, len(frames)):  # the 32-bit frame counter wraps
        while frames[i] < frames[i - 1] - (1 << 31):
            frames[i] += 1 << 32
    us_per_frame = 1e6 / RATE
    load = "both cores busy" if args.load else "idle"
    print(f"period {args.period}, {load}, {len(frames)} steps in {args.seconds:g} s")
    # The same onsets on two axes: the frame counter the recorder reads, and JACK's clock at
    # those frames. The dummy driver's frames do not follow real time exactly, and the server
    # re-anchors them after a late cycle; JACK's clock does follow real time.
    for axis, values, scale in (("frames", frames, us_per_frame), ("JACK time", usecs, 1.0)):
        residuals, a, b = deviations(values)
        if args.residuals:
            with open(f"{args.residuals}.{axis.split()[0].lower()}", "w") as f:
                f.writelines(f"{r * scale:.2f}\n" for r in residuals)
        dev = sorted(abs(r) * scale for r in residuals)
        row = "  ".join(f"{name} {percentile(dev, p):7.1f} us ({percentile(dev, p) / us_per_frame:6.2f} fr)"
                        for name, p in (("p50", 50), ("p99", 99), ("p99.9", 99.9), ("max", 100)))
        print(f"  on {axis:9}: {row}")
        step_us = b * scale
        nominal_us = step_period_ms(args.bpm) * 1000.0
        steps_per_s = 1e6 / nominal_us
        first = max(10, int(min(60.0, args.seconds / 2) * steps_per_s))
        n = list(range(len(values)))
        a1, b1 = fit(n[:first], values[:first])
        last = n[-int(10 * steps_per_s):]
        wander = sum(values[x] - (a1 + b1 * x) for x in last) / len(last) * scale
        print(f"  {'':12} fitted step {step_us:.3f} us, nominal {nominal_us:.3f}: "
              f"{(step_us / nominal_us - 1) * 1e6:+.1f} ppm; the last 10 s lie {wander:+.1f} us "
              f"from the first minute's line")


if __name__ == "__main__":
    main()
