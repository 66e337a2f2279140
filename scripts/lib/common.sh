# Shared by scripts/run and scripts/test: the Debian packages the project needs, and the build.

PACKAGES_BUILD=(build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6svg6 qt6-translations-l10n qt6-qpa-plugins
  libqcustomplot-dev libqcustomplot2.1-qt6
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libmosquitto-dev mosquitto mosquitto-clients openssl
  fonts-dejavu-core fonts-liberation2)
# The Debian package: its icon, and the checks of the package and of its menu and store entries.
PACKAGES_PACKAGE=(librsvg2-bin dpkg-dev fakeroot lintian desktop-file-utils appstream)
# The recorder's BIDS test runs the BIDS validator from the npm registry on Debian's Node.js.
PACKAGES_BIDS=(nodejs npm)
BIDS_VALIDATOR_VERSION=1.15.0
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

# private_user_folders DIR: the settings, state, data and cache folders and the single-instance
# lock of the programs started from here lie in DIR. A measurement neither reads nor changes the
# user's settings, records or log, and a program the user has open does not take its start over.
private_user_folders() {
  local d=$1
  mkdir -p "$d/config" "$d/state" "$d/data" "$d/cache"
  mkdir -p -m 700 "$d/run"
  export XDG_CONFIG_HOME="$d/config" XDG_STATE_HOME="$d/state" XDG_DATA_HOME="$d/data"
  export XDG_CACHE_HOME="$d/cache" MIRELVANE_RUNTIME_DIR="$d/run"
}

# ensure_locales NAME...: the C library's data for these locales ("ru_RU.UTF-8"), generated when
# missing, as a desktop in that language has it.
ensure_locales() {
  local l missing=()
  for l in "$@"; do
    locale -a 2>/dev/null | grep -qix "${l%%.*}.utf-\?8" || missing+=("$l")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  ensure_packages locales
  for l in "${missing[@]}"; do as_root localedef -i "${l%%.*}" -f UTF-8 "$l"; done
}

# in_locale NAME COMMAND...: runs COMMAND (a shell function too) with LANG=NAME and no LC_
# variable overriding it.
in_locale() {
  (
    local l=$1 v; shift
    for v in $(compgen -e); do case $v in LC_*|LANGUAGE) unset "$v" ;; esac; done
    export LANG="$l"
    "$@"
  )
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

# ensure_bids_validator BUILD_DIR: bids-validator from the npm registry in BUILD_DIR/bids-validator,
# where the recorder's test finds it.
ensure_bids_validator() {
  local cache=$1/bids-validator
  [ -x "$cache/node_modules/.bin/bids-validator" ] && return 0
  command -v npm >/dev/null 2>&1 || ensure_packages "${PACKAGES_BIDS[@]}"
  mkdir -p "$cache"
  npm install --prefix "$cache" --no-audit --no-fund --loglevel=error "bids-validator@$BIDS_VALIDATOR_VERSION"
}
