#!/usr/bin/env bash
# The real program at start, built against a loopback configuration host: it asks the test
# server over TLS (a certificate of the tree's test root, which the prefix trusts) for the
# configuration document and writes the cached values into both copies of "AppConfig.ini" (the
# user's and the one beside the program). Then the released program, with a proxy on loopback:
# it asks the product's host over https (a CONNECT to port 443), never in plain HTTP.
# Usage: program_config_test.sh <Lumaroo_loopback.exe> <port> <camera module dir> <server script>
#                               <trust_test_root.exe> <signing dir> <Lumaroo.exe>
set -u
exe=$1 port=$2 modules=$3 server=$4 trust=$5 signing=$6 release_exe=$7
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"
work=$(mktemp -d)
local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')
user_ini="$(winepath -u "$local_appdata" 2>/dev/null)/Velloria/AppConfig.ini"
[ -f "$user_ini" ] && cp "$user_ini" "$work/user-ini.saved"
cleanup() {
  [ -n "${spid:-}" ] && kill "$spid" 2>/dev/null
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  if [ -f "$work/user-ini.saved" ]; then cp "$work/user-ini.saved" "$user_ini"; else rm -f "$user_ini"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/requests.log" 2>/dev/null; exit 1; }

# The installation: the program and its camera modules.
mkdir -p "$work/app" "$work/www/serelpartner"
cp "$exe" "$work/app/Lumaroo.exe"
cp "$modules/vlux_horizontal.dll" "$modules/vlux_vertical.dll" "$work/app/"
rm -f "$user_ini"
printf '%s' '<?xml version="1.0" encoding="gbk"?><config><tips_conn>first line
second line</tips_conn><app_name>Quillet</app_name><app_url>http://www.velloria.com.cn/quillet/</app_url><open_debug_mode_url>https://www.baidu.com/s?wd=</open_debug_mode_url><adb_drive_url>http://www.velloria.com.cn/adb.zip</adb_drive_url></config>' \
  >"$work/www/serelpartner/config.php"

wine "$trust" </dev/null >/dev/null 2>&1 || fail "could not trust the test root"
python3 "$server" serve --root "$work/www" --log "$work/requests.log" --port "$port" \
  --tls-dir "$signing" &
spid=$!
sleep 0.5
kill -0 "$spid" 2>/dev/null || fail "the test server could not listen on port $port"

(cd "$work/app" && exec wine Lumaroo.exe </dev/null >/dev/null 2>&1) &
pid=$!
for _ in $(seq 1 300); do
  grep -q 'AdbDriveUrl' "$work/app/AppConfig.ini" 2>/dev/null && grep -q 'AdbDriveUrl' "$user_ini" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done

line=$(head -n 1 "$work/requests.log")
echo "request: $line"
[[ $line =~ ^GET\ /serelpartner/config\.php\?ver=[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+\&rand=[0-9]+\ HTTP/1\.1$ ]] ||
  fail "unexpected request line"
grep -qi '^User-Agent' "$work/requests.log" && fail "a user agent was sent"
grep -qx 'Accept: \*/\*' "$work/requests.log" || fail "no Accept: */*"
for ini in "$work/app/AppConfig.ini" "$user_ini"; do
  [ -f "$ini" ] || fail "no $ini"
  for want in 'ConnTips=first line</br>second line' 'AppName=Quillet' \
    'AppUrl=http://www.velloria.com.cn/quillet/' 'OpenDebugModeUrl=https://www.baidu.com/s?wd=' \
    'AdbDriveUrl=http://www.velloria.com.cn/adb.zip'; do
    tr -d '\r' <"$ini" | grep -qxF "$want" || fail "$ini lacks $want"
  done
done
echo "both settings copies hold the fetched values"

stop_program() {
  local wid
  wid=$(xdotool search --name '^Velloria$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && xdotool key --window "$wid" Escape
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
}
stop_program

# The released program: its configuration request goes through the proxy as a CONNECT.
kill "$spid" 2>/dev/null
wait "$spid" 2>/dev/null
: >"$work/requests.log"
python3 "$server" serve --root "$work/www" --log "$work/requests.log" --port "$port" &
spid=$!
sleep 0.5
mkdir -p "$work/release"
cp "$release_exe" "$work/release/Lumaroo.exe"
cp "$modules/vlux_horizontal.dll" "$modules/vlux_vertical.dll" "$work/release/"
(cd "$work/release" && http_proxy="http://127.0.0.1:$port" exec wine Lumaroo.exe </dev/null \
  >/dev/null 2>&1) &
pid=$!
for _ in $(seq 1 300); do
  grep -q '^CONNECT ' "$work/requests.log" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
line=$(head -n 1 "$work/requests.log")
echo "released program's request: $line"
[[ $line =~ ^CONNECT\ www\.velloria\.com\.cn:443\ HTTP/1\.1$ ]] ||
  fail "the released program did not ask the configuration host over https"
grep -q '^GET ' "$work/requests.log" && fail "the released program sent a plain request"
stop_program
exit 0
