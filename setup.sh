#!/usr/bin/env bash
# Sets up everything the project needs on a Debian machine (only what is
# missing), builds it, and then runs what was asked:
#   ./setup.sh            set up and build
#   ./setup.sh example    ... then print the example order form to orders.pdf
#   ./setup.sh test       ... then run every test
#   ./setup.sh sanitize   ... build with AddressSanitizer/UBSan in build-asan and run every test there
#   ./setup.sh fuzz [SECONDS]  ... build the fuzz targets with clang and libFuzzer in build-fuzz and
#                         fuzz each reader for its share of SECONDS (600 unless given)
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
action=${1:-build}

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev
  fonts-liberation2 fonts-dejavu-core
  cups libcups2-dev printer-driver-cups-pdf poppler-utils sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  xvfb xauth
)
# The fuzz targets are built with clang, whose libFuzzer runtime comes with it.
[[ $action == fuzz ]] && packages+=(clang)

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

# The readers the fuzz targets take their input through, and the longest
# input each is given (bytes).
fuzz_targets=(form_file_fuzz:8192 csv_fuzz:4096 rtf_fuzz:8192 rich_text_html_fuzz:8192
  record_source_fuzz:1024 dialog_answer_fuzz:256 set_value_fuzz:256)

# Builds the fuzz targets only (not the whole project) with clang, libFuzzer's
# coverage on every library and AddressSanitizer with UBSan; then runs each
# for its share of the time, one process at a time at the lowest priority,
# from its seed corpus in tests/fuzz/corpus and what earlier runs found
# (build-fuzz/fuzz/corpus), with its dictionary. A crash, a sanitizer report,
# an input over 30 seconds or past 3 GB is a finding: its input is kept in
# build-fuzz/fuzz/findings and the run ends nonzero. With VELLORA_BUILD_LOCK
# naming a lock file, the build step waits for that lock (a machine whose
# builds must not run side by side).
run_fuzz() {  # run_fuzz SECONDS
  local seconds=$1 dir="$root/build-fuzz"
  local lock=()
  [[ -n ${VELLORA_BUILD_LOCK:-} ]] && lock=(flock "$VELLORA_BUILD_LOCK")
  local names=()
  for entry in "${fuzz_targets[@]}"; do names+=("${entry%%:*}"); done
  "${lock[@]}" bash -c '
    set -e
    source=$1 dir=$2
    shift 2
    cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVELLORA_SANITIZE=ON -DVELLORA_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >&2
    cmake --build "$dir" -j2 --target "$@" >&2' build "$root" "$dir" "${names[@]}"
  local share=$(( seconds / ${#fuzz_targets[@]} ))
  (( share < 10 )) && share=10
  local work="$dir/fuzz" total=0 found=0
  mkdir -p "$work/logs" "$work/findings"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen
  export LSAN_OPTIONS=suppressions="$root/tests/fuzz/lsan.supp"
  for entry in "${fuzz_targets[@]}"; do
    local name=${entry%%:*} length=${entry##*:}
    mkdir -p "$work/corpus/$name"
    local log="$work/logs/$name.log" status=0
    nice -n 19 "$dir/bin/$name" -max_total_time="$share" -timeout=30 -rss_limit_mb=3072 -max_len="$length" \
      -dict="$root/tests/fuzz/dict/$name.dict" -artifact_prefix="$work/findings/$name-" -print_final_stats=1 \
      "$work/corpus/$name" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    total=$(( total + ${runs:-0} ))
    if (( status != 0 )); then
      found=1
      echo "fuzz: $name: FINDING after ${runs:-?} executions (exit status $status; log $log):"
      grep -E '==FINDING==|ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error|Test unit written' "$log" | head -8 | sed 's/^/    /' || true
    else
      echo "fuzz: $name: ${runs:-0} executions in ${share} s, no finding"
    fi
  done
  echo "fuzz: $total executions in all"
  return $found
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
  fuzz) run_fuzz "${2:-600}" ;;
  *) echo "usage: $0 [build|example|test|sanitize|fuzz [SECONDS]]" >&2; exit 2 ;;
esac
