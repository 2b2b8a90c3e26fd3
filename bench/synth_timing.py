#!/usr/bin/env python3
"""Timing of the built-in synth as JACK hears it.

Starts a private JACK server on the dummy driver and `ozk play` on "MIDI Mapper" with a setup
whose every step strikes one short drum sound (claves on channel 10), records the synth's left
output with jack_rec, finds each strike's onset in the recording and compares the onsets with a
straight line fitted through them: the grid the engine keeps. Prints the deviations (p50, p99,
max) in frames and microseconds.

    bench/synth_timing.py --build build --period 256 --seconds 30 [--ozk PATH]
"""
import argparse
import array
import json
import os
import subprocess
import sys
import tempfile
import time
import wave

from jack_bench import RATE, SERVER, fit, percentile, start_jackd, stop_all, wait_for

NOTE_BASE = 60  # the key a note of 0 plays (before transposing)


def setup_json(bpm):
    sample = {"on": 1, "notes": [75 - NOTE_BASE], "program": -1, "velocity": 127, "pan": 64, "duration": 1}
    return {
        "tempoUnit": 0, "tempoBpm": bpm, "deviceId": -1, "channel": 10, "editMeasure": 0,
        "mute": 0, "baseColor": 0, "windowLeft": 0, "windowTop": 0, "measureLength": 16,
        "polyphonic": 1, "volume": 100, "transpose": 0, "portName": "MIDI Mapper",
        "measures": [{"nextMeasure": m, "repeatCount": 1, "samples": [sample] * 16}
                     for m in range(8)],
    }


def onsets(samples, threshold, quiet_frames):
    """Frames where the level rises above `threshold` after at least `quiet_frames` below it
    (the reverb's tail stays above silence between the strikes, so the threshold is not 0)."""
    found, quiet = [], quiet_frames
    for i, x in enumerate(samples):
        if abs(x) > threshold:
            if quiet >= quiet_frames:
                found.append(i)
            quiet = 0
        else:
            quiet += 1
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--ozk", help="the ozk to measure (default: BUILD/tools/ozk/ozk)")
    ap.add_argument("--period", type=int, default=256)
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--bpm", type=float, default=120.0)
    args = ap.parse_args()
    ozk = args.ozk or os.path.join(args.build, "tools/ozk/ozk")
    work = tempfile.mkdtemp(prefix="synth-timing-")
    env = dict(os.environ, JACK_DEFAULT_SERVER=SERVER,
               XDG_RUNTIME_DIR=work)  # a lock folder of its own: the synth is one per user
    children = []
    try:
        children.append(start_jackd(args.period, env, os.path.join(work, "jackd.log")))
        setup = os.path.join(work, "claves.ozk")
        subprocess.run([ozk, "build", "-", "-o", setup], input=json.dumps(setup_json(args.bpm)),
                       text=True, check=True, env=env)
        play = subprocess.Popen([ozk, "play", setup, "--seconds", str(args.seconds + 2)],
                                env=env, stdout=subprocess.PIPE, text=True)
        children.append(play)
        wait_for(lambda: "thrumbleworx-synth:left" in subprocess.run(
            ["jack_lsp"], env=env, capture_output=True, text=True).stdout, 10, "the synth's port")
        wav = os.path.join(work, "synth.wav")
        for attempt in range(3):  # a port just registered sometimes refuses its first connection
            if subprocess.run(["jack_rec", "-f", wav, "-d", str(args.seconds), "-b", "16",
                               "thrumbleworx-synth:left"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.2)
        else:
            sys.exit("synth_timing: jack_rec could not record the synth")
        print(play.communicate(timeout=30)[0].rstrip())
    finally:
        stop_all(children)

    with wave.open(wav) as w:
        data = array.array("h", w.readframes(w.getnframes()))
    peak = max(abs(x) for x in data) if data else 0
    found = onsets(data, peak / 8, int(0.04 * RATE))
    if len(found) < 10:
        sys.exit(f"synth_timing: only {len(found)} onsets found (peak {peak})")
    n = list(range(len(found)))
    a, b = fit(n, found)
    dev = sorted(abs(y - (a + b * x)) for x, y in zip(n, found))
    pick = lambda p: percentile(dev, p)
    us = 1e6 / RATE
    print(f"period {args.period}: {len(found)} onsets; deviation from the fitted grid "
          + "  ".join(f"{name} {pick(p):6.1f} fr ({pick(p) * us:6.0f} us)"
                      for name, p in (("p50", 50), ("p99", 99), ("max", 100))))
    print(f"  fitted step {b * us:.1f} us")


if __name__ == "__main__":
    main()
