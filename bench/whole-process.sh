#!/usr/bin/env bash
# Times printing a long table as a user meets it: the whole `vellora print`
# process on a generated form against a small program drawing the same cells
# straight with QPainter on a QPdfWriter (straight_grid_pdf), runs
# alternated, medians of five; and the same records as a data grid on a
# SQLite table against the flex grid. Prints each median, the ratios, the
# spread of the runs (the machine's noise) and the documents' sizes.
#
#   bench/whole-process.sh [BUILD_DIR] [ROWS] [RUNS]
# Defaults: build, 10000 rows, 5 runs. Needs sqlite3 and pdfinfo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rows=${2:-10000}
runs=${3:-5}
vellora=$build/bin/vellora
straight=$build/bin/straight_grid_pdf
for program in "$vellora" "$straight"; do
  [[ -x $program ]] || { echo "whole-process: $program is not built" >&2; exit 1; }
done
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The cells: a header row and `rows` rows of six short texts, as a CSV for
# the flex grid and the straight program and as a table for the data grid.
make_cells() {  # make_cells ROWS NAME
  local n=$1 name=$2
  awk -v n="$n" 'BEGIN {
    print "Head 0,Head 1,Head 2,Head 3,Head 4,Head 5"
    for (r = 1; r <= n; r++) printf "a%d,b%d,c%d,d%d,e%d,f%d\n", r, r, r, r, r, r
  }' > "$work/$name.csv"
  cat > "$work/$name-flex.json" <<JSON
{"Form": {"Name": "Grid", "Width": 11000, "Height": 9000, "Font": {"Name": "Arial", "Size": 8.25},
 "Controls": [
  {"Type": "MSFlexGrid", "Name": "Items", "Left": 0, "Top": 0, "Width": 9000, "Height": 6000,
   "FixedRows": 1, "FixedCols": 0, "CellsFile": "$name.csv",
   "ColWidth": [1500, 1500, 1500, 1500, 1500, 1500]},
  {"Type": "Vellora", "Name": "Vellora1", "Left": 9700, "Top": 8000, "Width": 721, "Height": 375,
   "Properties": {"ToPage": 0}}]}}
JSON
  sqlite3 "$work/$name.sqlite" <<SQL
CREATE TABLE items(a TEXT, b TEXT, c TEXT, d TEXT, e TEXT, f TEXT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $n)
INSERT INTO items SELECT 'a' || i, 'b' || i, 'c' || i, 'd' || i, 'e' || i, 'f' || i FROM n;
SQL
  cat > "$work/$name-data.json" <<JSON
{"Form": {"Name": "Grid", "Width": 11000, "Height": 9000, "Font": {"Name": "Arial", "Size": 8.25},
 "Controls": [
  {"Type": "DataGrid", "Name": "Items", "Left": 0, "Top": 0, "Width": 9000, "Height": 6000,
   "Database": "$name.sqlite", "RecordSource": "SELECT a, b, c, d, e, f FROM items",
   "ColumnHeaders": true, "Font": {"Name": "Arial", "Size": 8.25},
   "Columns": [{"DataField": "a", "Caption": "Head 0", "Width": 1500}, {"DataField": "b", "Caption": "Head 1", "Width": 1500},
               {"DataField": "c", "Caption": "Head 2", "Width": 1500}, {"DataField": "d", "Caption": "Head 3", "Width": 1500},
               {"DataField": "e", "Caption": "Head 4", "Width": 1500}, {"DataField": "f", "Caption": "Head 5", "Width": 1500}]},
  {"Type": "Vellora", "Name": "Vellora1", "Left": 9700, "Top": 8000, "Width": 721, "Height": 375,
   "Properties": {"ToPage": 0}}]}}
JSON
}

# Seconds of one run of a command.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1 || { echo "whole-process: failed: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { sort -g | awk 'NR == 1 { low = $1 } { high = $1 } END { printf "%.3f-%.3f", low, high }'; }
pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }
kilobytes() { echo $(( $(stat -c %s "$1") / 1024 )); }

# compare NAME: alternated runs of the three jobs on the cells NAME.
compare() {
  local name=$1 flex=() data=() direct=()
  for ((i = 0; i < runs; i++)); do
    flex+=("$(seconds "$vellora" print "$work/$name-flex.json" --pdf "$work/$name-flex.pdf")")
    direct+=("$(seconds "$straight" "$work/$name.csv" "$work/$name-straight.pdf")")
    data+=("$(seconds "$vellora" print "$work/$name-data.json" --pdf "$work/$name-data.pdf")")
  done
  local f d s
  f=$(printf '%s\n' "${flex[@]}" | median)
  s=$(printf '%s\n' "${direct[@]}" | median)
  d=$(printf '%s\n' "${data[@]}" | median)
  printf '%-28s %8.3f s  (runs %s)  %4s pages  %6s KB\n' "flex grid, $name rows" "$f" \
    "$(printf '%s\n' "${flex[@]}" | spread)" "$(pages "$work/$name-flex.pdf")" "$(kilobytes "$work/$name-flex.pdf")"
  printf '%-28s %8.3f s  (runs %s)  %4s pages  %6s KB\n' "straight QPainter" "$s" \
    "$(printf '%s\n' "${direct[@]}" | spread)" "$(pages "$work/$name-straight.pdf")" "$(kilobytes "$work/$name-straight.pdf")"
  printf '%-28s %8.3f s  (runs %s)  %4s pages  %6s KB\n' "data grid, $name records" "$d" \
    "$(printf '%s\n' "${data[@]}" | spread)" "$(pages "$work/$name-data.pdf")" "$(kilobytes "$work/$name-data.pdf")"
  printf 'flex grid / straight: %.2fx   data grid / flex grid: %.2fx\n' "$(echo "$f / $s" | bc -l)" "$(echo "$d / $f" | bc -l)"
  eval "flex_$name=$f"
}

make_cells "$rows" "$rows"
make_cells $((2 * rows)) $((2 * rows))
compare "$rows"
compare $((2 * rows))
single=flex_$rows double=flex_$((2 * rows))
printf 'flex grid, %d rows against %d: %.2fx the time\n' $((2 * rows)) "$rows" "$(echo "${!double} / ${!single}" | bc -l)"
