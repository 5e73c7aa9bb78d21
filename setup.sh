#!/usr/bin/env bash
# Sets up everything the project needs on a Debian machine (only what is
# missing), builds it, and then runs what was asked:
#   ./setup.sh            set up and build
#   ./setup.sh example    ... then print the example order form to orders.pdf
#   ./setup.sh test       ... then run every test
#   ./setup.sh sanitize   ... build with AddressSanitizer/UBSan in build-asan and run every test there
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
action=${1:-build}

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev
  fonts-liberation2 fonts-dejavu-core
  cups libcups2-dev printer-driver-cups-pdf poppler-utils sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
else
  echo "setup: all packages present" >&2
fi

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >&2
  cmake --build "$root/$dir" -j2 >&2
}

run_tests() {  # run_tests DIR
  local dir=$1
  # A private CUPS scheduler with a cups-pdf queue for the spooler test.
  source "$root/tests/cups/cupsd.sh"
  start_test_cupsd || true
  trap stop_test_cupsd EXIT
  (cd "$root/$dir" && ctest --output-on-failure -j2 --timeout 600)
}

case "$action" in
  build) build build ;;
  example)
    build build
    "$root/build/bin/vellora" print "$root/examples/orders.json" --report orders-report.json
    echo "Wrote $(pwd)/orders.pdf" ;;
  test)
    build build
    run_tests build ;;
  sanitize)
    build build-asan -DVELLORA_SANITIZE=ON -DVELLORA_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
    run_tests build-asan ;;
  *) echo "usage: $0 [build|example|test|sanitize]" >&2; exit 2 ;;
esac
