#!/usr/bin/env bash
# A pool of Wine slots, so that Windows tests (dialog tests among them) run side by side: each
# slot has its own X display (Xvfb), its own copy of the prefix (so its own registry) and a
# wineserver that stays up for the whole run, so that no test pays for starting one.
# cmake/wine-run.sh takes a free slot for each program when SKELVANE_WINE_POOL names a pool.
#
#   wine-pool.sh start POOL PREFIX SLOTS   prints the assignment of SKELVANE_WINE_POOL
#   wine-pool.sh stop POOL
#
# A slot that does not come up fails the start, after what was started is stopped. Display
# numbers are taken from SKELVANE_DISPLAY_BASE (default 20) upwards, skipping those in use. The
# copies share the prefix's files through hard links; Wine replaces its registry files instead
# of rewriting them, and those are copied outright anyway.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
wineserver=/usr/lib/wine/wineserver64

display() { # slot folder: starts an Xvfb on the first free display, within 50 tries
  local dir=$1 display=$next_display try tick pid
  for try in $(seq 50); do
    display=$((display + 1))
    [ ! -e "/tmp/.X$display-lock" ] && [ ! -e "/tmp/.X11-unix/X$display" ] || continue
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
    pid=$!
    for tick in $(seq 100); do
      [ ! -e "/tmp/.X11-unix/X$display" ] && kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    # The display is ours when its lock names our server: a server of an earlier pool that is
    # still ending may hold the socket for a moment, while ours fails and ends.
    if [ -e "/tmp/.X11-unix/X$display" ] && kill -0 "$pid" 2>/dev/null &&
       [ "$(tr -d ' \n' <"/tmp/.X$display-lock" 2>/dev/null)" = "$pid" ]; then
      echo "$pid" >"$dir/xvfb.pid"
      echo ":$display" >"$dir/display"
      next_display=$display
      return 0
    fi
    kill "$pid" 2>/dev/null || true
  done
  echo "wine-pool: no X display could be started for $dir" >&2
  return 1
}

start() { # pool, prefix, slots
  local pool=$(realpath -m "$1") prefix=$(realpath -m "$2") slots=$3 slot
  next_display=$((${SKELVANE_DISPLAY_BASE:-20} - 1))
  stop "$pool"
  [ -f "$prefix/.skelvane-ready" ] || { echo "wine-pool: $prefix is no ready prefix" >&2; return 1; }
  mkdir -p "$pool"
  for slot in $(seq 1 "$slots"); do
    local dir=$pool/$slot
    mkdir -p "$dir"
    cp -al "$prefix" "$dir/prefix"
    cp --remove-destination "$prefix"/*.reg "$dir/prefix/"
    display "$dir"
    WINEPREFIX=$dir/prefix "$wineserver" -p
    # Wine's service processes start with the first program and stay as long as the server
    # does, holding the output of the program that started them: they start here, detached,
    # so that no test waits on them. Its status is no verdict; its time limit is.
    local status=0
    WINEPREFIX=$dir/prefix DISPLAY=$(cat "$dir/display") limited 120 "wineboot of slot $slot" \
      "${SKELVANE_WINE64_LOADER:-/usr/lib/wine/wine64}" wineboot </dev/null >/dev/null 2>&1 || status=$?
    [ $status != 124 ] && [ $status != 137 ] || return 1
  done
  printf 'export SKELVANE_WINE_POOL=%q\n' "$pool"
}

stop() { # pool
  local pool dir
  pool=$(realpath -m "$1")  # the prefixes' paths, as their servers know them
  for dir in "$pool"/*/; do
    [ -d "$dir/prefix" ] || continue
    WINEPREFIX=${dir%/}/prefix "$wineserver" -k 2>/dev/null || true
    WINEPREFIX=${dir%/}/prefix limited 60 "wineserver of $dir" "$wineserver" -w 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then
      local pid tick
      pid=$(cat "$dir/xvfb.pid")
      kill "$pid" 2>/dev/null || true
      # Gone, with its lock and socket, before the next pool looks for a free display.
      for tick in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
  done
  rm -rf "$pool"
}

command=${1:-}; shift || true
case $command in
  start) start "$@" || { stop "$(realpath -m "$1")"; exit 1; } ;;
  stop) stop "$@" ;;
  *) echo "wine-pool.sh: unknown command '$command'" >&2; exit 2 ;;
esac
