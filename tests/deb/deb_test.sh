#!/usr/bin/env bash
# The Debian package as a player gets it: made from the build with cpack, checked with
# lintian, appstreamcli and desktop-file-validate, installed with apt-get, played through
# the end-to-end run from /usr/bin/qor-flipper, and removed again, also when a step fails.
#   deb_test.sh CPACK BUILD_FOLDER VERSION RUN_E2E ARTIFACTS_FOLDER
# It installs into the system, so it needs root; it skips (exit 77) without, and when
# qor-flipper is installed already (it would replace and then remove the player's copy).
set -euo pipefail
cpack=$1 build=$2 version=$3 run_e2e=$4 artifacts=$5
app_id=example.olvarin.qor_flipper

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
command -v apt-get >/dev/null || skip "no apt-get: not a Debian system"
status() { dpkg-query -W -f='${Status}' qor-flipper 2>/dev/null || true; }
if [[ $(status) == *" installed" ]] || [ -e /usr/bin/qor-flipper ]; then
  skip "qor-flipper is installed already; remove it first (apt-get remove qor-flipper)"
fi
for tool in dpkg-shlibdeps lintian appstreamcli desktop-file-validate; do
  command -v "$tool" >/dev/null || fail "$tool is missing: bash tools/deps.sh test"
done

rm -rf "$artifacts"; mkdir -p "$artifacts"
work=$(mktemp -d /tmp/qor-deb.XXXXXX)
chmod 755 "$work"  # apt reads the package as its own unprivileged user
installed=
cleanup() {
  if [ -n "$installed" ]; then
    echo "== removing the package after a failure"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q qor-flipper || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

echo "== cpack -G DEB"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work"
deb=$work/qor-flipper_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(cd "$work" && ls -- *.deb)"
chmod 644 "$deb"
dpkg-deb --info "$deb" | tee "$artifacts/control.txt"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "package version $(field Version), not $version"
# The libraries come from dpkg-shlibdeps; the fonts are added by hand.
depends=$(field Depends | tr ',' '\n')
for dep in libqt6widgets6 libqt6multimedia6 libsndfile1 libc6 fonts-liberation; do
  grep -q "^ *$dep\b" <<<"$depends" || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Recommends)" = fonts-wine ] || fail "Recommends: $(field Recommends), not fonts-wine"

echo "== lintian"
# Errors fail the test; warnings, infos and pedantic notes are shown.
lintian --display-info --pedantic --tag-display-limit 0 "$deb" 2>&1 |
  tee "$artifacts/lintian.txt" || fail "lintian found errors"

root=$work/root
dpkg-deb -x "$deb" "$root"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
desktop=$root/usr/share/applications/$app_id.desktop
echo "== appstreamcli validate"
# --no-net: the home page and the screenshots are on the maker's site, not fetched here.
appstreamcli validate --no-net --pedantic "$metainfo" 2>&1 | tee "$artifacts/appstream.txt" ||
  fail "appstreamcli validate"
# The tree: the metadata's launchable names the menu entry that is there, and its icon.
appstreamcli validate-tree --no-net "$root" 2>&1 | tee -a "$artifacts/appstream.txt" ||
  fail "appstreamcli validate-tree"
echo "== desktop-file-validate"
desktop-file-validate "$desktop" 2>&1 | tee "$artifacts/desktop-file-validate.txt" ||
  fail "desktop-file-validate"
[ ! -s "$artifacts/desktop-file-validate.txt" ] || fail "desktop-file-validate has remarks"
echo "(no remarks)"
grep -qx "Exec=/usr/bin/qor-flipper" "$desktop" ||
  fail "the menu entry does not start /usr/bin/qor-flipper"

# A new version needs its release notes in both places.
newest=$(zcat "$root/usr/share/doc/qor-flipper/changelog.gz" | sed -n 1p)
[[ $newest == "qor-flipper ($version) "* ]] || fail "changelog's newest entry: $newest"
grep -m1 '<release ' "$metainfo" | grep -q "version=\"$version\"" ||
  fail "metainfo's newest release is not $version"

echo "== apt-get install ./$(basename "$deb")"
installed=1
(cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$(basename "$deb")")
dpkg-query -W -f='${Status} ${Version}\n' qor-flipper
[ -x /usr/bin/qor-flipper ] || fail "/usr/bin/qor-flipper was not installed"

echo "== the end-to-end play run on /usr"
bash "$run_e2e" /usr "$artifacts" play 2>&1 | tee "$artifacts/e2e.txt" ||
  fail "the end-to-end run on the installed package"
grep -qx "\[e2e\] starting /usr/bin/qor-flipper" "$artifacts/e2e.txt" ||
  fail "the run did not start /usr/bin/qor-flipper"
grep -qx "\[e2e\] running /usr/libexec/qor-flipper/qor-flipper" "$artifacts/e2e.txt" ||
  fail "the launcher did not start /usr/libexec/qor-flipper/qor-flipper"

echo "== apt-get remove qor-flipper"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q qor-flipper
installed=
[[ $(status) != *" installed" ]] || fail "qor-flipper is still installed: $(status)"
[ ! -e /usr/bin/qor-flipper ] || fail "/usr/bin/qor-flipper is still there"
left=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' |
       while read -r f; do [ ! -e "$f" ] || echo "$f"; done)
[ -z "$left" ] || fail "files left after removal: $left"
echo "removed: /usr/bin/qor-flipper and every other file of the package are gone"
echo "== the package passed; logs in $artifacts"
