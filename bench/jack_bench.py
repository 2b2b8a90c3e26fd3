"""What the JACK timing benchmarks share: a private server on the dummy driver, stopping the
programs they started, and the straight-line fit of the engine's grid."""
import os
import signal
import subprocess
import sys
import time

RATE = 48000
SERVER = "thrumbleworx-bench"


def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.05)
    sys.exit(f"{os.path.basename(sys.argv[0])}: {what} did not come up")


def start_jackd(period, env, log_path):
    """`jackd -R -d dummy` at RATE and `period`, named SERVER; returns once clients can reach
    it. `env` must name SERVER in JACK_DEFAULT_SERVER."""
    jackd = subprocess.Popen(
        ["jackd", "-n", SERVER, "-R", "-d", "dummy", "-r", str(RATE), "-p", str(period)],
        env=env, stdout=open(log_path, "w"), stderr=subprocess.STDOUT)
    wait_for(lambda: subprocess.run(["jack_lsp"], env=env, capture_output=True).returncode == 0,
             10, "jackd")
    return jackd


def stop_all(children):
    """SIGTERM each program still running, the last started first; SIGKILL after 5 s."""
    for p in reversed(children):
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


def percentile(sorted_values, p):
    if not sorted_values:
        return float("nan")
    k = min(len(sorted_values) - 1, int(round(p / 100.0 * (len(sorted_values) - 1))))
    return sorted_values[k]


def fit(xs, ys):
    """Least-squares line through the points: (intercept, slope)."""
    n = len(xs)
    mx, my = sum(xs) / n, sum(ys) / n
    sxx = sum((x - mx) ** 2 for x in xs)
    sxy = sum((x - mx) * (y - my) for x, y in zip(xs, ys))
    b = sxy / sxx
    return my - b * mx, b
