# Shared by the project's scripts: a Wine prefix of our own under build/ and
# an Xvfb display of our own. Source it; it sets WINEPREFIX, DISPLAY and
# WINEDEBUG, and stops what it started when the calling script exits.

top=${top:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# A UTF-8 locale: Wine creates file names outside ASCII (a profile named
# Łukasz) only under one. LC_ALL, where a test sets it, still decides.
export LANG=${LANG:-C.UTF-8}

# A prefix made once by wineboot and copied for each use: a copy takes a
# second, a fresh wineboot up to twenty.
vorlund_template_prefix() {
  local template="$top/build/deps/wine-template"
  if [ ! -f "$template/.vorlund-ready-v3" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
    # Unmanaged windows: without a window manager on the display, hiding a
    # managed window waits two seconds for an answer that never comes.
    WINEPREFIX="$template" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.vorlund-ready-v3"
  fi
  printf '%s\n' "$template"
}

# vorlund_as OWNER COMMAND...: runs COMMAND as OWNER, or as it is without one.
vorlund_as() {
  local owner=$1
  shift
  if [ -n "$owner" ]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}

# vorlund_use_prefix NAME [OWNER]: a fresh copy of the template at
# build/wine/NAME, belonging to OWNER when given (Wine runs a prefix only
# for the user it belongs to).
vorlund_use_prefix() {
  local template prefix="$top/build/wine/$1" owner=${2:-}
  template=$(vorlund_template_prefix)
  if [ -d "$prefix" ]; then
    vorlund_as "$(stat -c %U "$prefix" | sed 's/^root$//')" \
      env WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
  mkdir -p "$(dirname "$prefix")"
  cp -a "$template" "$prefix"
  if [ -n "$owner" ]; then
    # The name of root's wineserver directory, which Debian's Wine keeps in
    # the prefix: the owner's server makes its own.
    rm -f "$prefix/wineserver"
    chown -R "$owner": "$prefix"
  fi
  export WINEPREFIX="$prefix"
  VORLUND_CLEANUP+=("vorlund_as '$owner' env WINEPREFIX='$prefix' wineserver -k >/dev/null 2>&1 || true")
}

# vorlund_test_user: the unprivileged user the Windows tests run as when
# root starts them, made once; empty when the tests run as an ordinary user.
vorlund_test_user() {
  [ "$(id -u)" = 0 ] || return 0
  local user=vorlundtest
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  fi
  printf '%s\n' "$user"
}

# vorlund_start_xvfb [WIDTHxHEIGHTxDEPTH]: a display of our own.
vorlund_start_xvfb() {
  local screen=${1:-1024x768x24} n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      export DISPLAY=":$n"
      VORLUND_CLEANUP+=("kill $pid 2>/dev/null || true")
      return 0
    fi
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

VORLUND_CLEANUP=()
vorlund_cleanup() {
  local i
  for ((i = ${#VORLUND_CLEANUP[@]} - 1; i >= 0; i--)); do eval "${VORLUND_CLEANUP[$i]}"; done
}
trap vorlund_cleanup EXIT
