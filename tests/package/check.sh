#!/bin/sh
# Installs the build in BUILD_DIR into a fresh prefix, builds the consumer
# project against it and checks that it prints the B the program prints.
set -eu
build_dir=$1
source_dir=$2
lennard=$3
cxx_flags=${4:-}  # the build's own flags (a sanitizer's, say), which the consumer must link with
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$source_dir" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_CXX_FLAGS="$cxx_flags" >/dev/null
cmake --build "$work/build" >/dev/null
got=$("$work/build/consumer")
expected=$("$lennard" -e 120 -s 3.4 -m series -f csv -o - --tmin 300 --tmax 300 | tail -n 1 | cut -d, -f3)
echo "consumer: $got; lennard: $expected"
# Both in shortest round-trip form: the same double.
python3 -c "import sys; sys.exit(float('$got') != float('$expected'))"
# The installed program finds its gas library without the source tree.
(cd "$work" && "$work/prefix/bin/lennard" --gas argon -o - --tmin 300 --tmax 300 >/dev/null)
