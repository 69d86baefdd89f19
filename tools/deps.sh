# Sourced by tools/run and tools/test: installs the Debian packages the build
# needs, but only those that are missing, and stops with a clear message when
# it cannot.
KALVORA_PACKAGES="cmake g++ make qt6-base-dev qt6-base-dev-tools \
libgl-dev libxcb1-dev fonts-liberation libgtest-dev libbenchmark-dev help2man qt6-svg-dev \
qt6-multimedia-dev"

kalvora_install_deps() {
  local missing=() p
  for p in $KALVORA_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing Debian packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "error: packages missing (${missing[*]}) and no root rights or sudo to install them." >&2
      return 1
    fi
  fi
  if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"; }; then
    echo "error: could not install ${missing[*]} with apt-get; install them by hand and try again." >&2
    return 1
  fi
}

# The benchmarks' extra packages: Google Benchmark and the peer plotting libraries
# they compare with (QCustomPlot's Qt 6 build, Qt Charts, matplotlib), plus valgrind
# for profiling.
KALVORA_BENCH_PACKAGES="libbenchmark-dev libqcustomplot-dev qt6-charts-dev libqt6opengl6-dev \
python3-matplotlib valgrind"

# tools/screenshot runs the real window under a virtual display and drives it.
KALVORA_SCREENSHOT_PACKAGES="xvfb xdotool imagemagick x11-utils"

# tools/a11y-check reads the running program's accessibility tree over AT-SPI.
KALVORA_A11Y_PACKAGES="xvfb xdotool dbus at-spi2-core python3-pyatspi"

kalvora_install_bench_deps() {
  kalvora_install_deps $KALVORA_BENCH_PACKAGES
}

# The Debian package's tools (./tools/package): dpkg-shlibdeps and file for
# CPack's dependency list, and the validators the package is checked with.
KALVORA_PACKAGE_PACKAGES="dpkg-dev file binutils lintian desktop-file-utils appstream"

kalvora_install_package_deps() {
  kalvora_install_deps $KALVORA_PACKAGE_PACKAGES
}

# CI (the environment has CI=true) builds with warnings as errors; a user's build
# only shows them. Prints the CMake option for CI builds, nothing otherwise.
kalvora_ci_options() {
  case "${CI:-}" in
    true|TRUE|True|1) echo "-DKALVORA_WERROR=ON" ;;
  esac
}

# A compiler cache, where one is installed, makes rebuilds in a fresh folder quick.
kalvora_launcher_options() {
  if command -v ccache >/dev/null 2>&1; then echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi
}

kalvora_build() {
  local root build ci
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  build="$root/build"
  ci=$(kalvora_ci_options)
  # CI configures every time, so that a build folder made before gets the option too.
  if [ ! -f "$build/CMakeCache.txt" ] || [ -n "$ci" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release $ci $(kalvora_launcher_options) >/dev/null || return 1
  fi
  cmake --build "$build" -j"$(nproc)" "$@"
}
