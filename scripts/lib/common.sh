# Shared by scripts/run and scripts/test: the Debian packages the project needs, and the build.

PACKAGES_BUILD=(build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6svg6 qt6-translations-l10n qt6-qpa-plugins
  libqcustomplot-dev libqcustomplot2.1-qt6
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-dejavu-core fonts-liberation2)
# The Debian package: its icon, and the checks of the package and of its menu and store entries.
PACKAGES_PACKAGE=(librsvg2-bin dpkg-dev fakeroot lintian desktop-file-utils appstream)
PACKAGES_DISPLAY=(xvfb xauth xdotool imagemagick x11-utils)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages that are missing; runs apt-get update once, only when needed.
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

# Builds in other checkouts of the project hit the same cache entries.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"

# configure_and_build DIR [cmake options...] [-- targets...]
configure_and_build() {
  local dir=$1; shift
  local opts=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
    opts+=("$1"); shift
  done
  cmake -S . -B "$dir" -G Ninja "${opts[@]}" >/dev/null
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j "$(jobs)" --target "${targets[@]}"
  else
    cmake --build "$dir" -j "$(jobs)"
  fi
}
