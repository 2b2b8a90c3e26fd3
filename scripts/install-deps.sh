#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test Thrumbleworx.
# Safe to run again: packages already present are skipped, and nothing is
# asked on the terminal. Works as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev clang-format
  # libraries
  qt6-base-dev libjack-jackd2-dev libasound2-dev libfluidsynth-dev
  nlohmann-json3-dev libcli11-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # sound: the built-in synth's soundfont and a JACK server for tests
  timgm6mb-soundfont jackd2
  # thread stacks of a test that hangs
  gdb
  # looking at and listening to the program headless
  xvfb xauth xdotool imagemagick sox fonts-liberation fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: these packages are missing and neither root nor sudo is available:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
# jackd2 asks whether to enable realtime scheduling; answer it here.
echo 'jackd2 jackd/tweak_rt_limits boolean false' | "${as_root[@]}" debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
