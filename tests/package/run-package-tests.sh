#!/usr/bin/env bash
# The Debian package made by scripts/package: lintian's verdict (no error,
# no warning), its control fields, its files, the changelog's version,
# dependencies that cover every shared library its programs need, an
# install with dpkg into a throwaway root, where the installed saver runs
# headless and mosvik-pack finds it, and the saver started by the
# XScreenSaver daemon on a virtual display of its own. The machine's dpkg
# database and file system are left alone (dpkg --root; the package has no
# maintainer scripts).
#   tests/package/run-package-tests.sh PACKAGE.deb
# Prints one line per check and "N passed, M failed"; exits non-zero when a
# check failed.
set -uo pipefail

deb=$(realpath "${1:?usage: run-package-tests.sh PACKAGE.deb}")
source "$(dirname "$0")/../common/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

field() { dpkg-deb -f "$deb" "$1"; }
version=$(basename "$deb" | cut -d_ -f2)

echo "== lintian"
# Errors and warnings fail; informational tags are listed for the reader.
if lintian -I --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1; then
  pass "lintian reports no error and no warning"
else
  fail "lintian reports no error and no warning" "$(grep -E '^[EW]:' "$work/lintian.txt" | head -n 5)"
fi
sed -n 's/^\([IN]: .*\)/      (\1)/p' "$work/lintian.txt"

echo "== control fields"
check "Package: mosvik" test "$(field Package)" = mosvik
check "Section: x11" test "$(field Section)" = x11
check "Version: $version, as in the file name" test "$(field Version)" = "$version"
check "Architecture: $(dpkg --print-architecture)" test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "a description" bash -c "dpkg-deb -I '$deb' | grep -q '^ Description: jigsaw screen saver'"

# Every package named in Depends, without versions and alternatives.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g' | sed '/^$/d' | sort -u)
check "Depends names packages" test -n "$depends"
check "Depends names only packages installed here" \
  bash -c "for p in $(echo $depends); do dpkg-query -W -f='\${Status}\n' \"\$p\" | grep -q 'ok installed' || exit 1; done"

echo "== files"
expected='./usr/bin/mosvik -> ../libexec/xscreensaver/mosvik
./usr/bin/mosvik-pack
./usr/libexec/xscreensaver/mosvik
./usr/share/doc/mosvik/changelog.gz
./usr/share/doc/mosvik/copyright
./usr/share/man/man1/mosvik-pack.1.gz
./usr/share/man/man6/mosvik.6.gz
./usr/share/xscreensaver/config/mosvik.xml'
dpkg-deb -c "$deb" >"$work/contents"
actual=$(awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' "$work/contents" | sort)
if [ "$actual" = "$expected" ]; then pass "the package holds exactly its eight files"; else
  fail "the package holds exactly its eight files" "got: $(echo $actual)"; fi
check "everything belongs to root" bash -c "awk '\$2 != \"root/root\" { exit 1 }' '$work/contents'"
check "the programs are executable" \
  bash -c "grep -E '^-rwxr-xr-x .*\./usr/(libexec/xscreensaver/mosvik|bin/mosvik-pack)\$' '$work/contents' | wc -l | grep -qx 2"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/mosvik/changelog.gz | gunzip >"$work/changelog"
check "the changelog's latest entry is version $version" \
  test "$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>/dev/null)" = "$version"

echo "== install into a throwaway root"
root=$work/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" "$root/var/log"
touch "$root/var/lib/dpkg/status"
# The dependencies are checked against this machine below, not in the empty root.
if dpkg --root="$root" --log="$root/var/log/dpkg.log" --force-depends -i "$deb" >"$work/install.log" 2>&1; then pass "dpkg -i"; else
  fail "dpkg -i" "$(tail -n 3 "$work/install.log")"; finish; fi
check "dpkg knows it installed" bash -c "dpkg --root='$root' -s mosvik | grep -q '^Status: install ok installed'"

# The libraries the programs need, each found in a package named in Depends
# (dpkg knows some of them under /lib, others under /usr/lib).
owner() {
  local lib=$1 p out
  for p in "$lib" "$(realpath "$lib")" "${lib#/usr}" "/usr${lib#/usr}"; do
    if out=$(dpkg -S "$p" 2>/dev/null); then echo "${out%%:*}"; return; fi
  done
}
covered=yes
for exe in usr/libexec/xscreensaver/mosvik usr/bin/mosvik-pack; do
  for soname in $(objdump -p "$root/$exe" | awk '/NEEDED/ { print $2 }'); do
    # "soname => path (address)", or "path (address)" for the dynamic loader
    lib=$(ldd "$root/$exe" | awk -v s="$soname" '$1 == s { print $3 } $1 ~ "/" s "$" { print $1 }')
    pkg=$(owner "$lib")
    if ! grep -qx "${pkg:-none}" <<<"$depends"; then
      echo "      ($exe needs $soname from ${pkg:-no package}, not in Depends)"; covered=no
    fi
  done
done
check "Depends covers every library the programs need" test "$covered" = yes

saver=$root/usr/libexec/xscreensaver/mosvik
check "the saver runs headless from its installed path and shows the board" bash -c "
  '$saver' --headless=320x240 --fps=1 --stop-after=12 --frames='$work/frames' /s &&
  test \$(convert '$work/frames/frame-00011.png' -format '%k' info:) -gt 1000"
check "the link on the PATH starts it" bash -c "PATH='$root/usr/bin' mosvik --version | grep -q '^mosvik $version'"
check "mosvik-pack takes the installed saver as its template" \
  bash -c "'$root/usr/bin/mosvik-pack' -o '$work/own' --message mine >/dev/null &&
           '$root/usr/bin/mosvik-pack' --info '$work/own' | grep -q mine"

echo "== started by the XScreenSaver daemon"
# The daemon draws nothing for root, so as root it runs as nobody.
as_user=()
home=$work/home
mkdir -p "$home"
cat >"$home/.xscreensaver" <<'EOF'
mode:		one
selected:	0
fade:		False
unfade:		False
programs:	\
		mosvik --root \n\
EOF
chmod 755 "$work"
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody "$home"
fi
daemon() { # daemon PROGRAM ARGS...: as the daemon's user, the installed saver on the PATH
  "${as_user[@]}" env HOME="$home" DISPLAY="$DISPLAY" PATH="$root/usr/bin:$PATH" "$@"
}
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
daemon xscreensaver -no-splash -verbose >"$work/daemon.log" 2>&1 &
daemon_pid=$!
trap 'kill "$daemon_pid" "$xvfb_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do daemon xscreensaver-command -time >/dev/null 2>&1 && break; sleep 0.2; done
daemon xscreensaver-command -activate >/dev/null 2>&1
for _ in $(seq 100); do grep -q 'forked "mosvik --root"' "$work/daemon.log" && break; sleep 0.1; done
hack=$(sed -n 's/.*forked "mosvik --root" in pid \([0-9]*\) on window \(0x[0-9a-f]*\).*/\1 \2/p' "$work/daemon.log")
read -r hack_pid hack_window <<<"${hack:-0 0}"
check "the daemon starts the installed saver" test "$(readlink "/proc/$hack_pid/exe")" = "$saver"
sleep 3.5
check "it draws the board on the daemon's window" bash -c "
  import -window '$hack_window' '$work/daemon.png' 2>/dev/null &&
  test \$(convert '$work/daemon.png' -format '%k' info:) -gt 1000"
daemon xscreensaver-command -deactivate >/dev/null 2>&1
for _ in $(seq 50); do kill -0 "$hack_pid" 2>/dev/null || break; sleep 0.1; done
check "it ends when the daemon unblanks" bash -c "! kill -0 '$hack_pid' 2>/dev/null"
daemon xscreensaver-command -exit >/dev/null 2>&1

check "dpkg -r removes every file" bash -c "
  dpkg --root='$root' --log='$root/var/log/dpkg.log' -r mosvik >/dev/null &&
  test -z \"\$(find '$root/usr' ! -type d 2>/dev/null)\""

finish
