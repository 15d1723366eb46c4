#!/usr/bin/env bash
# A pool of Wine slots, so that Windows tests (dialog tests among them) run side by side: each
# slot has its own X display (Xvfb), its own copy of the prefix and a wineserver that stays up
# for the whole run, so that no test pays for starting one. cmake/wine-run.sh takes a free slot
# for each program when SKELVANE_WINE_POOL names a pool.
#
#   wine-pool.sh start POOL PREFIX SLOTS   prints the assignment of SKELVANE_WINE_POOL
#   wine-pool.sh stop POOL
#
# Display numbers are taken from SKELVANE_DISPLAY_BASE (default 20) upwards, skipping those in
# use. The copies share the prefix's files through hard links; Wine replaces its registry
# files instead of rewriting them, and those are copied outright anyway.
set -eu
wineserver=/usr/lib/wine/wineserver64

start() { # pool, prefix, slots
  local pool=$(realpath -m "$1") prefix=$(realpath -m "$2") slots=$3 display=${SKELVANE_DISPLAY_BASE:-20} slot
  stop "$pool"
  mkdir -p "$pool"
  for slot in $(seq 1 "$slots"); do
    local dir=$pool/$slot
    mkdir -p "$dir"
    cp -al "$prefix" "$dir/prefix"
    cp --remove-destination "$prefix"/*.reg "$dir/prefix/"
    while :; do
      if [ ! -e "/tmp/.X$display-lock" ] && [ ! -e "/tmp/.X11-unix/X$display" ]; then
        Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
        local pid=$!
        local tries=0
        while [ ! -e "/tmp/.X11-unix/X$display" ] && kill -0 "$pid" 2>/dev/null && [ $tries -lt 100 ]; do
          sleep 0.1; tries=$((tries + 1))
        done
        if [ -e "/tmp/.X11-unix/X$display" ] && kill -0 "$pid" 2>/dev/null; then
          echo "$pid" >"$dir/xvfb.pid"
          echo ":$display" >"$dir/display"
          display=$((display + 1))
          break
        fi
        kill "$pid" 2>/dev/null || true
      fi
      display=$((display + 1))
    done
    WINEPREFIX=$dir/prefix "$wineserver" -p
    # Wine's service processes start with the first program and stay as long as the server
    # does, holding the output of the program that started them: they start here, detached,
    # so that no test waits on them.
    WINEPREFIX=$dir/prefix DISPLAY=$(cat "$dir/display") \
      "${SKELVANE_WINE64_LOADER:-/usr/lib/wine/wine64}" wineboot </dev/null >/dev/null 2>&1
  done
  printf 'export SKELVANE_WINE_POOL=%q\n' "$pool"
}

stop() { # pool
  local pool=$1 dir
  for dir in "$pool"/*/; do
    [ -d "$dir/prefix" ] || continue
    WINEPREFIX=${dir%/}/prefix "$wineserver" -k 2>/dev/null || true
    WINEPREFIX=${dir%/}/prefix "$wineserver" -w 2>/dev/null || true
    [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  done
  rm -rf "$pool"
}

command=$1; shift
case $command in
  start) start "$@" ;;
  stop) stop "$@" ;;
  *) echo "wine-pool.sh: unknown command $command" >&2; exit 2 ;;
esac
