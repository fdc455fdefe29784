#!/usr/bin/env bash
# Installs the engine into a scratch prefix, then builds and runs a host that
# finds it with find_package(morvane) and with pkg-config.
set -euo pipefail
build_dir=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
cmake -S "$source_dir/cmake/consumer" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
LD_LIBRARY_PATH="$scratch/prefix/lib" "$scratch/consumer/consumer"
flags=$(PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig" pkg-config --cflags --libs morvane)
c++ -std=c++20 "$source_dir/cmake/consumer/main.cpp" -o "$scratch/pc-consumer" $flags
LD_LIBRARY_PATH="$scratch/prefix/lib" "$scratch/pc-consumer"
echo "installed engine found by find_package and pkg-config"
