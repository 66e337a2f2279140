# The installed program as an ordinary user: unpacks the package into a temporary root and runs
# tests_installed there under the user id 65534 without any group, with HOME and the XDG
# folders in a temporary folder. The ball simulator's terminal gets the owner root:dialout and
# the mode 0660 that a real serial port has on Debian.
run_installed_test() {
  local deb=$1 tests=$2 work sim pts
  work=$(mktemp -d /tmp/mirelvane-installed.XXXXXX)
  chmod 755 "$work"
  dpkg-deb -x "$deb" "$work/root"
  cp "$tests" "$work/tests_installed"
  mkdir -p "$work/home"
  chown 65534:65534 "$work/home"
  "$work/root/usr/bin/mirelvane-ballsim" --link "$work/ball.tty" > "$work/ballsim.out" 2>&1 &
  sim=$!
  for _ in $(seq 100); do [ -e "$work/ball.tty" ] && break; sleep 0.1; done
  pts=$(readlink -f "$work/ball.tty")
  chown root:dialout "$pts"
  chmod 0660 "$pts"
  local rc=0
  setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    XDG_STATE_HOME="$work/home/state" XDG_DATA_HOME="$work/home/data" \
    XDG_CACHE_HOME="$work/home/cache" QT_QPA_PLATFORM=offscreen \
    MIRELVANE_INSTALL_ROOT="$work/root" MIRELVANE_TEST_PORT="$work/ball.tty" \
    "$work/tests_installed" || rc=$?
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -rf "$work"
  return $rc
}
