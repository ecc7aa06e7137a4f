#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from the install rules,
# checked by lintian (no errors), its desktop entry and AppStream metadata
# validated, extracted into a fresh root, and the installed program started
# offscreen as a user who is not root, with a fresh home. It must start and keep
# its data under that home. Then, on a virtual screen, the user saves the
# declaration with the save button (answering Yes to saving a declaration that
# still has marked cells). Everything written is private (folders 0700, files
# 0600) and nothing is written into the installed tree.
#
# usage: package_test.sh BUILD_DIR
# Exit 77 (skipped) with the reason when a tool is missing.
set -euo pipefail
build="$(cd "$1" && pwd)"

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x "$build/workbench/ui/zevo" ] || skip "the program is not built"

work="$(mktemp -d /tmp/zevo-package.XXXXXX)"
app=""
xvfb=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- build the package (its own staging, the build's installed files untouched)
(cd "$work" && cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/pkg/zevo_*.deb)"
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "dependencies were not computed: $(dpkg-deb -f "$deb" Depends)"

lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"

# --- extract into a fresh root and check the files outside the tree
root="$work/root"
dpkg-deb -x "$deb" "$root"
[ "$(readlink "$root/usr/bin/zevo")" = /opt/zevo/Bin/zevo ] || fail "/usr/bin/zevo does not link to the program"
[ -f "$root/opt/zevo/Bin/INSTALLED" ] || fail "the installed tree is not marked as installed"
desktop-file-validate "$root/usr/share/applications/org.zevo.Zevo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.zevo.Zevo.metainfo.xml" || fail "AppStream metadata"
for f in usr/share/mime/packages/org.zevo.Zevo.xml usr/share/icons/hicolor/scalable/apps/org.zevo.Zevo.svg \
         usr/share/icons/hicolor/256x256/apps/org.zevo.Zevo.png usr/share/doc/zevo/copyright; do
  [ -f "$root/$f" ] || fail "missing /$f"
done

# --- start the installed program as a user who is not root, with a fresh home
home="$work/home"
runtime="$work/runtime"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  id nobody >/dev/null 2>&1 || skip "running as root and there is no user nobody to start the program as"
  chown nobody "$home" "$runtime"
  chmod 711 "$work"
  run_as=(runuser -u nobody --)
fi
find "$root/opt" -printf '%p %s %T@ %m\n' | sort >"$work/tree.before"

"${run_as[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
  PATH=/usr/bin:/bin LANG=C.UTF-8 "$root/opt/zevo/Bin/zevo" >"$work/zevo.log" 2>&1 &
app=$!

data="$home/.local/share/zevo/DataFiles/ZEVO"
for _ in $(seq 1 300); do
  [ -s "$data/Session.dat" ] && break
  kill -0 "$app" 2>/dev/null || { cat "$work/zevo.log"; fail "the program ended before writing its session file"; }
  sleep 0.1
done
[ -s "$data/Session.dat" ] || { cat "$work/zevo.log"; fail "no session file under the home's data folder after 30 s"; }
sleep 1   # let start-up finish before it is stopped
kill -0 "$app" 2>/dev/null || { cat "$work/zevo.log"; fail "the program did not keep running"; }
kill "$app"
wait "$app" 2>/dev/null || true
app=""

# --- save the declaration through the window, on a virtual screen
command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is not installed"
display=""
for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
[ -n "$display" ] || skip "no free X display number"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do DISPLAY="$display" xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
"${run_as[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" \
  PATH=/usr/bin:/bin LANG=C.UTF-8 "$root/opt/zevo/Bin/zevo" >"$work/zevo-x.log" 2>&1 &
app=$!
window="$(DISPLAY="$display" timeout 30 xdotool search --sync --onlyvisible --class zevo | head -1)" ||
  { cat "$work/zevo-x.log"; fail "the window did not show"; }
sleep 2   # the grid is filled after the window shows
# The save button ("Ghi") sits in the row of buttons at the window's foot, fifth of six.
eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$window")"
for i in $(seq 0 99); do
  [ -s "$data/TK_DKT.xml" ] && break
  # A click that came while the window was still busy is tried again.
  if [ $((i % 20)) -eq 0 ]; then
    DISPLAY="$display" xdotool mousemove --window "$window" $((WIDTH - 234)) $((HEIGHT - 43)) click 1
    sleep 0.5
  fi
  DISPLAY="$display" xdotool key Return   # "save although cells are marked?" Yes / "saved" OK
  sleep 0.3
done
[ -s "$data/TK_DKT.xml" ] || { cat "$work/zevo-x.log"; fail "the declaration was not saved under the home"; }
kill "$app"; wait "$app" 2>/dev/null || true; app=""
kill "$xvfb"; wait "$xvfb" 2>/dev/null || true; xvfb=""

echo "written under the home:"
(cd "$home" && find . -printf '%m %p\n' | sort)
for d in "$home/.local/share/zevo" "$home/.local/share/zevo/DataFiles" "$data"; do
  [ "$(stat -c %a "$d")" = 700 ] || fail "$d is $(stat -c %a "$d"), not 700"
done
while IFS= read -r f; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$f is $(stat -c %a "$f"), not 600"
done < <(find "$home/.local/share/zevo" -type f)

find "$root/opt" -printf '%p %s %T@ %m\n' | sort >"$work/tree.after"
diff "$work/tree.before" "$work/tree.after" || fail "the program wrote into the installed tree"
echo "PASSED"
