# Sourced by the build and demo scripts, with root set to the checkout: configure_tree TREE
# configures one of the trees under build/ (native, win32, win64) with its toolchain, once.
# The native tree comes first: it builds the tools that make the Windows trees' resources.
configure_tree() {
  local tree=$1
  local arguments=()
  case $tree in
    native) arguments=(-DSKELVANE_WIN32_DIR="$root/build/win32") ;;
    win32) arguments=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake"
                      -DSKELVANE_TOOLS_DIR="$root/build/native/tools") ;;
    win64) arguments=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake"
                      -DSKELVANE_TOOLS_DIR="$root/build/native/tools") ;;
    *) echo "configure_tree: no tree $tree" >&2; return 1 ;;
  esac
  [ -f "$root/build/$tree/build.ninja" ] ||
    cmake -S "$root" -B "$root/build/$tree" -G Ninja "${arguments[@]}" >/dev/null
}
