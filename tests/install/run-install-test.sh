#!/usr/bin/env bash
# Installs the project into a temporary prefix, builds a small application
# outside the tree against the installed package (find_package(Vellora)),
# runs it, and checks what it printed page by page.
#   run-install-test.sh BUILD_DIR SOURCE_DIR [COMPILER_FLAGS]
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in include/vellora/PrintControl.h include/vellora/Resizer.h lib/cmake/Vellora/VelloraConfig.cmake \
            lib/pkgconfig/vellora.pc bin/vellora; do
  [[ -e $work/prefix/$file ]] || fail "$file was not installed"
done
ls "$work"/prefix/lib/libVelloraPrint.so.0.3* >/dev/null 2>&1 || fail "the libraries carry no version"
objdump -p "$work/prefix/lib/libVelloraPrint.so" | grep -q 'SONAME *libVelloraPrint.so.0.3' || fail "no SONAME"
PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig pkg-config --modversion vellora | grep -qx '0.3.0' || fail "pkg-config"

# The installed program finds its control libraries in the prefix.
(cd "$work" && QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" "$work/prefix/bin/vellora" print \
   "$source/examples/orders.json" --pdf "$work/orders.pdf" 2>"$work/vellora.err") || fail "the installed vellora cannot print: $(cat "$work/vellora.err")"
[[ -s $work/orders.pdf ]] || fail "the installed vellora wrote no PDF"

cmake -S "$source/tests/install/app" -B "$work/app" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/app" >/dev/null
QT_QPA_PLATFORM=offscreen "$work/app/shipping-app" "$work/design.pdf" "$work/resized.pdf" >/dev/null

pages=$(pdfinfo "$work/design.pdf" | awk '/^Pages:/ {print $2}')
(( pages >= 3 )) || fail "the form printed on $pages pages"
all=$(for ((page = 1; page <= pages; ++page)); do pdftotext -raw -f $page -l $page "$work/design.pdf" - | tr -d "\f"; done)
for n in $(seq -f '%03g' 1 300); do
  count=$(grep -c "^Note $n\$" <<<"$all" || true)
  [[ $count == 1 ]] || fail "note line $n printed $count times"
  count=$(grep -c "Item $n" <<<"$all" || true)
  [[ $count == 1 ]] || fail "order line $n printed $count times"
done
for ((page = 1; page <= pages; ++page)); do
  text=$(pdftotext -raw -f $page -l $page "$work/design.pdf" -)
  if grep -q "Item [0-9]" <<<"$text"; then
    grep -q "Quantity" <<<"$text" || fail "page $page of the table has no header"
  fi
done
cmp -s <(pdftotext -bbox "$work/design.pdf" - | grep "<word") <(pdftotext -bbox "$work/resized.pdf" - | grep "<word") ||
  fail "the resized form did not print its design layout"
echo "install test: installed, built an application against the package, printed $pages pages"
