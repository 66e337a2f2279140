# Shared by the measuring scripts: a virtual X server, ballsim on a pseudo-terminal and the
# program in portable mode (its settings and -LOG log beside the executable) in a temp folder.
# Time stamps are local seconds of the day, so that the log's own stamps, which carry no date
# the scripts can rely on, compare with the moments the scripts take themselves.
# Needs: set -euo pipefail, the current folder at the checkout, common.sh sourced, and the
# program and ballsim built in build/release.

work=$(mktemp -d)
pids=()
session_cleanup() {
  local p
  for p in "${pids[@]+"${pids[@]}"}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]+"${pids[@]}"}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap session_cleanup EXIT
private_user_folders "$work/user"
export LC_ALL=C.UTF-8   # the log's time of day as HH:mm:ss.zzz
unset QT_QPA_PLATFORM

say() { echo "$(basename "$0"): $*" >&2; }

# wait_for SECONDS COMMAND...: polls the condition ten times a second
wait_for() {
  local tries=$(( $1 * 10 )); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  say "gave up waiting for: $*"; return 1
}

# The current local time as seconds of the day, to the microsecond; no process is started.
now_s() {
  local t=$EPOCHREALTIME hms
  printf -v hms '%(%H %M %S)T' "${t%.*}"
  set -- $hms
  echo "$(( 10#$1 * 3600 + 10#$2 * 60 + 10#$3 )).${t#*.}"
}

start_xserver() {
  display=:$(( 90 + RANDOM % 400 ))
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 & xserver=$!; pids+=($xserver)
  export DISPLAY=$display
  wait_for 10 xdpyinfo -display "$display" >/dev/null 2>&1 </dev/null
}

# new_session NAME [SETTING=VALUE...]: a fresh folder $dir with the program, its settings (the
# shipped file, the port of the session's ballsim, then the given lines) and a record folder.
new_session() {
  dir="$work/$1"; shift
  mkdir -p "$dir/records"
  cp build/release/bin/mirelvane config/*.lng "$dir/"
  link="$dir/ball.tty"
  { cat config/mirelvane.cfg; echo "Ports=$link"; echo "RecordFolder=$dir/records"
    local s; for s in "$@"; do echo "$s"; done; } > "$dir/mirelvane.cfg"
  log="$dir/mirelvane.log"
  wire="$dir/wire"
  balllog="$dir/ballsim.err"
}

# start_ball [OPTIONS...]: ballsim on the session's link; each line it writes to standard error
# is kept in $balllog behind the moment it arrived (ballsim writes an event's line before it acts,
# unbuffered, so the stamp is the event's moment within the pipe's delay).
start_ball() {
  build/release/bin/ballsim --link "$link" --record "$wire" "$@" > "$dir/ballsim.out" \
    2> >(while IFS= read -r line; do echo "$(now_s) $line"; done > "$balllog") &
  ball=$!; pids+=($ball)
  wait_for 10 test -e "$link"
}

# forget PID: a process that has ended is no longer one of those ended at exit
forget() { local p kept=(); for p in "${pids[@]}"; do [ "$p" = "$1" ] || kept+=("$p"); done; pids=("${kept[@]}"); }
stop_ball() { kill "$ball" 2>/dev/null || true; wait "$ball" 2>/dev/null || true; forget "$ball"; }

# start_app: the program with -LOG, until its main window is viewable.
start_app() {
  "$dir/mirelvane" -LOG 2>/dev/null & app=$!; pids+=($app)
  wait_for 30 find_window
  wait_for 20 viewable
}
find_window() { win=$(xdotool search --name "^Mirelvane$" 2>/dev/null | head -n 1); [ -n "$win" ]; }
viewable() { xwininfo -id "$win" 2>/dev/null | grep -q "IsViewable"; }
stop_app() { kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; forget "$app"; }

press() { xdotool windowfocus --sync "$win" 2>/dev/null || true; xdotool key "$1"; }
logged() { grep -q -- "$1" "$log" 2>/dev/null; }
# log_after TEXT: what follows TEXT on the log's first line with it (the log ends lines in CR LF)
log_after() { grep -m 1 -- "$1" "$log" | tr -d '\r' | sed "s/.*$1//"; }
ball_said() { grep -q -- "$1" "$balllog" 2>/dev/null; }

# connect_and_start: alt+c until the connect's last log line, then alt+s until the stream
# thread has written the start command. Each press is tried three times at most.
connect_and_start() {
  local i
  for i in 1 2 3; do
    press alt+c
    wait_for 20 logged "DevTime:" && break
    [ "$i" -lt 3 ] || return 1
  done
  sleep 1   # the ranges and the battery that the connect sets and shows
  for i in 1 2 3; do
    press alt+s
    wait_for 10 logged "START COMMAND WRITTEN" && return 0
  done
  return 1
}

# log_time PATTERN: the log's time of day, in seconds, of the first line with PATTERN
log_time() {
  grep -m 1 -- "$1" "$log" | awk '{
    for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+:[0-9][0-9]:[0-9][0-9]/) {
      split($i, t, ":"); s = t[1] * 3600 + t[2] * 60 + t[3]
      if ($(i + 1) == "PM" && t[1] < 12) s += 43200
      if ($(i + 1) == "AM" && t[1] == 12) s -= 43200
      printf "%.3f\n", s; exit
    } }'
}
# ball_time PATTERN: the moment, in seconds of the day, of ballsim's first line with PATTERN
ball_time() { grep -m 1 -- "$1" "$balllog" | awk '{ print $1 }'; }
# diff_ms A B: B - A in milliseconds, across midnight too
diff_ms() { awk -v a="$1" -v b="$2" 'BEGIN { d = b - a; if (d < -43200) d += 86400; printf "%.0f\n", 1000 * d }'; }

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
