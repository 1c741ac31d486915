#!/usr/bin/env bash
# Tests how windows-qt.sh makes its deb-src entry from the machine's APT sources
# (tools/debian-sources.sh), on sample files in a temporary folder: deb822 and one-line,
# with and without a key, and the entries it must leave out.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/debian-sources.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0 cases=0

# check NAME EXPECTED FILE... : debian_sources bookworm deb FILE... prints EXPECTED.
check() {
  local name=$1 expected=$2 got
  shift 2
  cases=$((cases + 1))
  got=$(debian_sources bookworm deb "$@")
  if [ "$got" != "$expected" ]; then
    failed=$((failed + 1))
    printf 'FAIL: %s\n--- expected\n%s\n--- got\n%s\n---\n' "$name" "$expected" "$got"
  fi
}
# sample NAME CONTENT: a sources file in the temporary folder; prints its path.
sample() { printf '%s\n' "$2" >"$dir/$1"; echo "$dir/$1"; }
key=/usr/share/keyrings/debian-archive-keyring.gpg

check "deb822 with Signed-By: every Debian stanza, suites and key kept" "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: $key

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: $key" "$(sample a.sources "Types: deb
# a comment inside the stanza
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: $key

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: $key")"

check "deb822 without Signed-By, a mirror, more components" "Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm
Components: main contrib non-free-firmware" "$(sample b.sources "Types: deb
URIs: http://mirror.example.net/debian
Suites: bookworm
Components: main contrib non-free-firmware")"

check "deb822: field names in any case, value continued on the next line" "Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm bookworm-updates
Components: main contrib" "$(sample c.sources "types: deb
uris: http://mirror.example.net/debian
suites: bookworm
 bookworm-updates
components: main
 contrib")"

check "deb822: a key written into Signed-By is kept line by line" "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD3K87ZM18gzyQZJD+w
 -----END PGP PUBLIC KEY BLOCK-----" "$(sample d.sources "Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD3K87ZM18gzyQZJD+w
 -----END PGP PUBLIC KEY BLOCK-----")"

check "deb822: 'deb deb-src' counts as deb; other releases' suites dropped" "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-backports
Components: main" "$(sample e.sources "Types: deb deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm trixie bookworm-backports sid
Components: main")"

check "deb822: left out: disabled, no main, a vendor's main, source entries only" "" \
  "$(sample f.sources "Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: contrib non-free

Types: deb
URIs: https://deb.vendor.example/node_20.x
Suites: nodistro
Components: main
Signed-By: /usr/share/keyrings/vendor.gpg

Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main")"

check "one-line with signed-by among other options" "Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm
Components: main contrib
Signed-By: $key" "$(sample g.list "deb [arch=amd64 signed-by=$key] http://mirror.example.net/debian bookworm main contrib")"

check "one-line without a key; comments and blank lines" "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main

Types: deb-src
URIs: http://security.debian.org/debian-security
Suites: bookworm-security
Components: main non-free-firmware" "$(sample sources.list "# the main archive
deb http://deb.debian.org/debian bookworm main   # trailing comment

deb-src http://deb.debian.org/debian bookworm main
	deb  http://security.debian.org/debian-security  bookworm-security main non-free-firmware")"

check "one-line: left out: a vendor's suite named after the release, no main, disabled" "" \
  "$(sample h.list "deb https://packages.vendor.example/apt cloud-sdk-bookworm main
deb [ signed-by=$key ] http://deb.debian.org/debian bookworm contrib
# deb http://deb.debian.org/debian bookworm main")"

check "files of both kinds in the order given, missing ones skipped" "Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm
Components: main contrib
Signed-By: $key

Types: deb-src
URIs: http://mirror.example.net/debian
Suites: bookworm
Components: main contrib non-free-firmware" \
  "$dir/g.list" "$dir/missing.sources" "$dir/b.sources"

# write_deb_src: what windows-qt.sh writes, and when it writes nothing.
expect_write() {
  local name=$1 rc_expected=$2 target=$3 rc
  shift 3
  cases=$((cases + 1))
  write_deb_src "$target" bookworm "$@" 2>"$dir/stderr"
  rc=$?
  if [ "$rc" -ne "$rc_expected" ]; then
    failed=$((failed + 1))
    echo "FAIL: $name: returned $rc, not $rc_expected ($(cat "$dir/stderr"))"
  fi
}
target=$dir/out/qor-flipper-deb-src.sources
mkdir -p "$dir/out"
expect_write "writes the Debian entries as deb-src" 0 "$target" "$dir/a.sources" "$dir/h.list"
cases=$((cases + 1))
if [ "$(cat "$target")" != "$(debian_sources bookworm deb "$dir/a.sources")" ]; then
  failed=$((failed + 1)); echo "FAIL: the file written is not the Debian entries"; cat "$target"
fi
expect_write "the entry is there already: nothing written" 1 "$target" "$dir/a.sources"
rm -f "$target"
expect_write "the system has a Debian deb-src entry: nothing written" 1 "$target" \
  "$dir/a.sources" "$dir/sources.list"
cases=$((cases + 1))
[ ! -e "$target" ] || { failed=$((failed + 1)); echo "FAIL: wrote $target beside a deb-src entry"; }
expect_write "no Debian entry holding main: an error" 2 "$target" "$dir/h.list" "$dir/missing.sources"
cases=$((cases + 1))
[ ! -e "$target" ] || { failed=$((failed + 1)); echo "FAIL: wrote $target with no Debian entry"; }
grep -q "no Debian (bookworm) entry holding main" "$dir/stderr" ||
  { failed=$((failed + 1)); echo "FAIL: no message for no Debian entry: $(cat "$dir/stderr")"; }

echo "debian-sources: $((cases - failed)) of $cases cases passed"
[ "$failed" -eq 0 ]
