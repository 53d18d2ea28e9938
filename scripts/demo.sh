#!/usr/bin/env bash
# The program's main job on a fresh machine: sets up what is missing and builds,
# makes a sample product with two releases, publishes both to a mirror in a
# temporary folder, serves the mirror over HTTP on 127.0.0.1, and lets the
# installer install the first release into an empty folder and then update it
# to the second. The server is stopped at the end; the folders stay for a look.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

# The installer opens its window when a display can be used; without one (or
# with VANTREL_DEMO_HEADLESS=1) it runs --headless in the terminal.
USE_WINDOW=$([ -n "${DISPLAY:-}" ] && [ -z "${VANTREL_DEMO_HEADLESS:-}" ] && echo 1 || echo 0)

say() { printf '\n== %s\n' "$*"; }
start=$(date +%s)

say "Setting up and building (scripts/setup.sh)"
bash scripts/setup.sh
# A display that cannot be opened (an ssh session without X forwarding) counts as none.
if [ "$USE_WINDOW" = 1 ] && ! xdpyinfo >/dev/null 2>&1; then
  echo "The display $DISPLAY cannot be opened: the installer runs in the terminal (--headless)."
  USE_WINDOW=0
fi
INSTALLER=$ROOT/build/vantrel-installer
PUBLISH=$ROOT/build/vantrel-publish
# VANTREL_DEMO_WINDOWS=1: the installs are made by the Windows program under wine
# (cross-built by scripts/setup-win.sh), in its window; it installs the files
# for Windows.
WINDOWS=${VANTREL_DEMO_WINDOWS:-0}
if [ "$WINDOWS" = 1 ]; then
  if [ "$USE_WINDOW" != 1 ]; then
    echo "demo: the Windows program needs a display (DISPLAY) for its window." >&2
    exit 1
  fi
  say "Cross-building the Windows program (scripts/setup-win.sh)"
  bash scripts/setup-win.sh
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-demo.XXXXXX")
PRODUCT1=$WORK/release-1/Vantrel
PRODUCT2=$WORK/release-2/Vantrel
MIRROR=$WORK/mirror
INSTALL_PARENT=$WORK/install
DEST=$INSTALL_PARENT/Vantrel/
NAME1="Vantrel 1.0"
NAME2="Vantrel 1.1"
mkdir -p "$PRODUCT1" "$MIRROR" "$INSTALL_PARENT" "$WORK/config" "$WORK/tmp"

# ---------------------------------------------------------------------------
# The sample product
# ---------------------------------------------------------------------------

# make_file PATH BYTES KIND: KIND text compresses well, data somewhat, noise not at all.
make_file() {
  local path=$PRODUCT1/$1 size=$2 kind=$3
  mkdir -p "$(dirname "$path")"
  case $kind in
    text) yes "$1: line $RANDOM of the sample product, with some words to compress" | head -c "$size" >"$path" ;;
    data) head -c $((size * 3 / 4 + 3)) /dev/urandom | base64 -w 0 | head -c "$size" >"$path" ;;
    noise) head -c "$size" /dev/urandom >"$path" ;;
  esac
}

say "Making a sample product in $PRODUCT1"
set +o pipefail  # "yes" and "base64" end by SIGPIPE when "head" has its bytes
RANDOM=7
for i in $(seq 1 80); do make_file "Airfoils/NACA $((1000 + i * 7)).afl" $((2000 + RANDOM % 20000)) text; done
for plane in "Cessna 172" "Baron 58" "KingAir C90" "Boeing 747" "Stinson L-5" "Space Shuttle"; do
  make_file "Aircraft/$plane/$plane.acf" $((200000 + RANDOM * 10)) data
  for part in fuselage wing_left wing_right tail panel cockpit; do
    make_file "Aircraft/$plane/objects/$part.obj" $((10000 + RANDOM * 3)) text
    make_file "Aircraft/$plane/objects/$part.png" $((40000 + RANDOM * 5)) noise
  done
  make_file "Aircraft/$plane/sounds/engine.wav" $((300000 + RANDOM * 10)) data
done
make_file "Aircraft/Boeing 747/objects/paint.png" 12000000 noise
for i in $(seq 1 20); do make_file "Instructions/Manual chapter $i.pdf" $((50000 + RANDOM * 15)) data; done
make_file "Instructions/Read me first.txt" 4000 text
for f in "FMS plans/KSEA-KPDX.fms" "FMS plans/EDDF-LOWW.fms" "logbooks/Logbook.txt" "situations/Approach.sit" \
         "situations/Crosswind.sit" "movies/README.txt" "preferences/Vantrel.prf"; do
  make_file "Output/$f" $((500 + RANDOM % 5000)) text
done
for i in $(seq 1 40); do make_file "Resources/bitmaps/interface/button_$i.png" $((3000 + RANDOM)) noise; done
for i in $(seq 1 30); do make_file "Resources/sounds/alert/sound_$i.wav" $((20000 + RANDOM * 2)) data; done
for i in $(seq 1 12); do make_file "Resources/text/language_$i.txt" $((10000 + RANDOM)) text; done
make_file "Resources/default scenery/earth.dat" 30000000 data
make_file "Resources/default scenery/earth nav data/apt.dat" 8000000 text
make_file "Resources/sounds/engines.wav" 6000000 data
for i in $(seq 1 25); do make_file "Custom Scenery/Sample Airport/objects/hangar_$i.obj" $((5000 + RANDOM)) text; done
for i in $(seq 1 5); do make_file "Weather/METAR_$i.rwx" $((1000 + RANDOM % 3000)) text; done
make_file "Resources/plugins/shared/readme.txt" 3000 text
make_file "Vantrel.exe" 2500000 noise
make_file "Vantrel.app/Contents/MacOS/Vantrel" 2600000 noise
make_file "Vantrel-x86_64" 2400000 noise
chmod +x "$PRODUCT1/Vantrel-x86_64" "$PRODUCT1/Vantrel.app/Contents/MacOS/Vantrel"
set -o pipefail

cat >"$WORK/os-rules.txt" <<'EOF'
# Which files are for which system (0 every system, 1 Macintosh, 2 Windows,
# 3 Linux, 4 and 5 only those, 6 systems 6 and 3). The first match wins.
Vantrel.app/*                   1
*.exe                           2
Vantrel-x86_64                  3
Resources/plugins/*/mac.xpl     1
Resources/plugins/*/win.xpl     2
Resources/plugins/*/lin.xpl     3
Resources/plugins/*/os4.xpl     4
Resources/plugins/*/os5.xpl     5
Resources/plugins/*/lin64.xpl   6
EOF

# The second release: some files changed, some new (a plugin for every system),
# some gone (a whole aircraft among them).
mkdir -p "$(dirname "$PRODUCT2")"
cp -a "$PRODUCT1" "$PRODUCT2"
changed=("Airfoils/NACA 1007.afl" "Airfoils/NACA 1014.afl" "Aircraft/Cessna 172/Cessna 172.acf"
         "Aircraft/Baron 58/objects/panel.png" "Instructions/Read me first.txt" "Resources/text/language_3.txt"
         "Resources/sounds/engines.wav" "Vantrel-x86_64" "Vantrel.exe" "Output/preferences/Vantrel.prf")
for f in "${changed[@]}"; do printf 'changed in %s\n' "$NAME2" >>"$PRODUCT2/$f"; done
rm -r "$PRODUCT2/Aircraft/Stinson L-5"
rm "$PRODUCT2/Airfoils/NACA 1021.afl" "$PRODUCT2/Weather/METAR_5.rwx" "$PRODUCT2/Resources/bitmaps/interface/button_40.png"
for os in mac win lin os4 os5 lin64; do
  mkdir -p "$PRODUCT2/Resources/plugins/PluginAdmin"
  head -c $((100000 + RANDOM)) /dev/urandom >"$PRODUCT2/Resources/plugins/PluginAdmin/$os.xpl"
done
printf 'Plugin manager for every system\n' >"$PRODUCT2/Resources/plugins/PluginAdmin/readme.txt"
head -c 900000 /dev/urandom | base64 >"$PRODUCT2/Instructions/What is new in 1.1.pdf"

count() { find "$1" -type f | wc -l; }
megabytes() { du -sb "$1" | awk '{printf "%.1f MB", $1 / 1000000}'; }
echo "release 1: $(count "$PRODUCT1") files, $(megabytes "$PRODUCT1")"
echo "release 2: $(count "$PRODUCT2") files, $(megabytes "$PRODUCT2") (${#changed[@]} changed, 8 new, $(( $(count "$PRODUCT1") - $(count "$PRODUCT2") + 8 )) gone)"

# ---------------------------------------------------------------------------
# The mirror
# ---------------------------------------------------------------------------

say "Publishing both releases to the mirror $MIRROR"
"$PUBLISH" release --product "$PRODUCT1" --name "$NAME1" --out "$MIRROR" --folder /mirror/ \
  --os-rules "$WORK/os-rules.txt"
# The second release takes the histories from the first; its unchanged files'
# archives are taken over instead of compressed again.
"$PUBLISH" release --product "$PRODUCT2" --name "$NAME2" --out "$MIRROR" --folder /mirror/ \
  --os-rules "$WORK/os-rules.txt" --previous "$MIRROR/mirror/$NAME1/directory.txt.zip"

SERVER_PID=
stop_server() {
  if [ -n "$SERVER_PID" ] && kill -0 "$SERVER_PID" 2>/dev/null; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
    echo "Stopped the server (process $SERVER_PID)."
  fi
  SERVER_PID=
}
trap stop_server EXIT

# Answers the probe with this run's token: then this very server is up.
TOKEN="vantrel-demo-$$"
probe() { [ "$(curl -s --max-time 1 "http://127.0.0.1:$1/.probe" 2>/dev/null)" = "$TOKEN" ]; }
wait_until_up() {  # PORT: 0 once the server answers, 1 when it died or stayed silent
  for _ in $(seq 1 100); do
    kill -0 "$SERVER_PID" 2>/dev/null || return 1
    probe "$1" && return 0
    sleep 0.05
  done
  return 1
}

start_nginx() {  # PORT
  local dir=$WORK/nginx
  mkdir -p "$dir"
  cat >"$dir/nginx.conf" <<EOF
daemon off;
master_process off;
worker_processes 1;
pid "$dir/nginx.pid";
error_log "$dir/error.log" warn;
events { worker_connections 256; }
http {
  access_log "$dir/access.log";
  client_body_temp_path "$dir/client_body";
  proxy_temp_path "$dir/proxy";
  fastcgi_temp_path "$dir/fastcgi";
  uwsgi_temp_path "$dir/uwsgi";
  scgi_temp_path "$dir/scgi";
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$1;
    root "$MIRROR";
    location = /.probe { return 200 "$TOKEN"; }
  }
}
EOF
  local nginx
  nginx=$(command -v nginx || echo /usr/sbin/nginx)
  [ -x "$nginx" ] || return 1
  "$nginx" -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" >/dev/null 2>&1 &
  SERVER_PID=$!
  wait_until_up "$1"
}

start_python() {  # PORT
  command -v python3 >/dev/null || return 1
  printf '%s' "$TOKEN" >"$MIRROR/.probe"
  python3 -m http.server "$1" --bind 127.0.0.1 --directory "$MIRROR" >"$WORK/http.server.log" 2>&1 &
  SERVER_PID=$!
  wait_until_up "$1"
}

say "Serving the mirror on 127.0.0.1"
PORT=
# VANTREL_DEMO_SERVER=python skips nginx (to try the fallback).
for server in ${VANTREL_DEMO_SERVER:-nginx python}; do
  for port in $(shuf -i 20000-60000 -n 8); do
    if "start_$server" "$port"; then PORT=$port; break 2; fi
    stop_server >/dev/null
  done
done
[ -n "$PORT" ] || { echo "demo: could not start nginx or python3's http.server on 127.0.0.1" >&2; exit 1; }
echo "$server serves $MIRROR at http://127.0.0.1:$PORT/ (process $SERVER_PID)"

# ---------------------------------------------------------------------------
# The installs
# ---------------------------------------------------------------------------

server_list() {  # RELEASE NAME: what /serverlist.txt offers
  "$PUBLISH" serverlist --final "$1" --server "127.0.0.1:$PORT" /mirror/ "Local demo mirror" \
    --out "$MIRROR/serverlist.txt"
}

# A folder of this machine as the Windows program names it: wine's drive Z: is /.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

run_installer() {
  # The preferences file and the installer's temporary files stay in the demo's folder.
  if [ "$WINDOWS" = 1 ]; then
    echo "The Windows installer's window opens (under wine). In it: click INSTALL, then ACCEPT;"
    echo "when it says INSTALLATION COMPLETE!, click QUIT. The demo goes on after that."
    bash scripts/wine-run.sh "$ROOT/build/win/vantrel-installer.exe" --server_list="127.0.0.1:$PORT" \
      ${VANTREL_DEMO_ARGS:-} "$(windows_path "$DEST")"
  elif [ "$USE_WINDOW" = 1 ]; then
    echo "The installer window opens. In it: click INSTALL, then ACCEPT (below the licence);"
    echo "when it says INSTALLATION COMPLETE!, click QUIT. The demo goes on after that."
    # VANTREL_DEMO_ARGS: more options for the window (--trace_screen lets a script follow it).
    XDG_CONFIG_HOME=$WORK/config TMPDIR=$WORK/tmp "$INSTALLER" --server_list="127.0.0.1:$PORT" \
      ${VANTREL_DEMO_ARGS:-} "$DEST"
  else
    XDG_CONFIG_HOME=$WORK/config TMPDIR=$WORK/tmp "$INSTALLER" --headless --server_list="127.0.0.1:$PORT" \
      --accept_licence --modified=keep "$DEST"
  fi
}

# After an install with programs in it the installer names the folder after the release.
follow_rename() {  # RELEASE NAME
  if [ ! -d "$DEST" ] && [ -d "$INSTALL_PARENT/$1" ]; then DEST=$INSTALL_PARENT/$1/; fi
}

say "Installing $NAME1 into the empty folder $DEST"
server_list "$NAME1"
run_installer
follow_rename "$NAME1"

say "Updating $DEST to $NAME2: only what changed is downloaded, what is gone is deleted"
server_list "$NAME2"
run_installer
follow_rename "$NAME2"
stop_server

# ---------------------------------------------------------------------------
# The check
# ---------------------------------------------------------------------------

say "Checking the destination against $NAME2's directory"
# The current version of every path this system installs (os_type 0, 3 and 6;
# for Windows 0 and 2), from the directory file, as "md5  path" lines for md5sum.
if [ "$WINDOWS" = 1 ]; then OS_A=2 OS_B=2; else OS_A=3 OS_B=6; fi
unzip -p "$MIRROR/mirror/$NAME2/directory.txt.zip" directory.txt | awk -v a="$OS_A" -v b="$OS_B" '
  $1 == "DIR" { prefix = substr($0, index($0, " ") + 1); sub(/^[^\/]*\//, "", prefix); next }
  $1 == "FILE" {
    line = $0; for (k = 1; k <= 7; k++) { sub(/^[ \t]*[^ \t]+[ \t]+/, "", line) }
    path = prefix line; os[path] = $3; sig[path] = $7; if (!(path in seen)) { seen[path] = 1; order[n++] = path }
  }
  END { for (i = 0; i < n; i++) { p = order[i]; if (sig[p] != "GONE" && (os[p] == 0 || os[p] == a || os[p] == b)) print sig[p] "  " p } }
' >"$WORK/expected.md5"
(cd "$DEST" && find . -type f -printf '%P\n' | LC_ALL=C sort) >"$WORK/installed.txt"
cut -c35- "$WORK/expected.md5" | LC_ALL=C sort >"$WORK/expected.txt"
if (cd "$DEST" && md5sum -c --quiet "$WORK/expected.md5") && diff "$WORK/expected.txt" "$WORK/installed.txt" >/dev/null; then
  echo "The destination holds exactly $NAME2: $(wc -l <"$WORK/installed.txt") files, every MD5 as listed;"
  echo "files for other systems were left out, the files $NAME2 no longer has were deleted."
else
  echo "demo: the destination differs from $NAME2:" >&2
  [ "$USE_WINDOW" = 1 ] && echo "(Was each install started with INSTALL and ACCEPT, and left only at INSTALLATION COMPLETE!?)" >&2
  diff "$WORK/expected.txt" "$WORK/installed.txt" >&2 || true
  exit 1
fi

say "Done in $(( $(date +%s) - start )) seconds"
echo "The destination is:  $DEST"
echo "The mirror is:       $MIRROR"
echo "Everything is in $WORK (remove it when done)."
