#!/usr/bin/env bash
# Fuzzes the settings file parser for a bounded time from the committed seeds. New
# inputs go to a throw-away folder, so every run starts from the same corpus; a
# finding is kept in the build folder.  run_fuzz.sh <fuzzer> <seed folder> <artifact prefix>
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
# 20 s in all; each input at most 64 KiB, 1 s and 512 MiB.
ASAN_OPTIONS=detect_leaks=1 "$1" -max_total_time=20 -max_len=65536 -timeout=1 -rss_limit_mb=512 \
  -artifact_prefix="$3" -print_final_stats=1 "$work" "$2"
