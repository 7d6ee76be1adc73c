#!/usr/bin/env bash
# Builds a consumer program against hostseal twice: after `cmake --install` through
# find_package(hostseal), and through add_subdirectory of the source tree.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$source_dir/tests/package/consumer" -B "$work/installed" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/installed" >/dev/null
"$work/installed/consumer"

cmake -S "$source_dir/tests/package/consumer" -B "$work/subdir" -G Ninja \
  -DHOSTSEAL_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$work/subdir" --target consumer >/dev/null
"$work/subdir/consumer"

# The pkg-config file of the installed package builds the same consumer.
PKG_CONFIG_PATH=$(dirname "$(find "$work/prefix" -name hostseal.pc)") \
  c++ "$source_dir/tests/package/consumer/consumer.cpp" -o "$work/pkgconfig-consumer" \
  $(PKG_CONFIG_PATH=$(dirname "$(find "$work/prefix" -name hostseal.pc)") pkg-config --cflags --libs hostseal)
"$work/pkgconfig-consumer"
