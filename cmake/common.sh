# Sourced by the set-up and Wine scripts: the pinned Wine version, and the two guards that every
# download and every Wine program of a test run goes through.

# Wine as the main suite holds it. The system's 64-bit Wine (whose wineserver serves every
# prefix) and the build tree's 32-bit Wine are this one version, so that an update in another
# suite (security, backports) cannot split them.
wine_version=8.0~repack-4
debian_mirror=http://deb.debian.org/debian

# retry WHAT COMMAND...: a download, tried four times with growing pauses: a mirror in sync or
# a dropped connection is usually over within them. The failure names WHAT.
retry() {
  local what=$1 pause; shift
  for pause in 10 30 60 ""; do
    "$@" && return 0
    [ -n "$pause" ] || break
    echo "retry: $what failed; trying again in $pause s" >&2
    sleep "$pause"
  done
  echo "retry: $what failed four times" >&2
  return 1
}

# limited SECONDS NAME COMMAND...: a program under a time limit. One that hits it is ended (its
# process group, after 10 s more by force) and named; the status is timeout's (124 or 137).
limited() {
  local seconds=$1 name=$2 status=0; shift 2
  timeout -k 10 "$seconds" "$@" || status=$?
  if [ $status = 124 ] || [ $status = 137 ]; then
    echo "time limit: $name did not end within $seconds s" >&2
  fi
  return $status
}

# wine_tree_env TREE: exports the Wine of a Windows build tree: for the win32 tree the 32-bit
# Wine and WoW64 prefix of cmake/wine32.sh, for the win64 one the system's 64-bit Wine and the
# tree's own prefix. Either prefix is made when it is missing.
wine_tree_env() {
  local tree=$1 cmake_dir assignments
  cmake_dir=$(dirname "${BASH_SOURCE[0]}")
  if grep -q '^CMAKE_TOOLCHAIN_FILE:.*i686' "$tree/CMakeCache.txt"; then
    assignments=$("$cmake_dir/wine32.sh" env "$tree/..") || return 1
    eval "$assignments"
  else
    export WINEPREFIX=$tree/wineprefix
    "$cmake_dir/wine-prefix.sh" "$WINEPREFIX" || return 1
  fi
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}
