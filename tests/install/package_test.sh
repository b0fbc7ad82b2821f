#!/usr/bin/env bash
# The Debian package on this machine, as the README builds and installs it:
# lintian finds no error, its dependencies come from the libraries linked,
# each installed program works from PATH (VyrSyn's output byte for byte the
# build's), the web checker started as its unit starts it answers /healthz,
# the README's recipe for the live data works, and removing the package
# leaves none of its files. It installs into the machine, so it needs root;
# otherwise it is skipped. Run from the top of the tree by .ci/run.
#   package_test.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
here=tests/install
source "$here/readme.sh"
if ((EUID != 0)); then
  echo "package_test: skipped (installs a package: needs root)"
  exit 0
fi
fail() {
  echo "package_test: $*" >&2
  exit 1
}
if dpkg-query -W -f='${Status}' vyrsyn 2>/dev/null | grep -q installed; then
  fail "a vyrsyn package is installed already; remove it first"
fi
work=$(mktemp -d)
server=
created=()
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null
  for path in "${created[@]}"; do rm -rf "$path"; done
  rm -rf "$work"
}
trap cleanup EXIT

section="Installing: the Debian package"
[[ $(readme_blocks README.md "$section") == 2 ]] || fail "'$section' does not hold two commands"
echo "package_test: building the package as the README does"
bash -euo pipefail -c "$(readme_block README.md "$section" 1)" </dev/null
debs=(build-release/vyrsyn_*_amd64.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "not one package in build-release: ${debs[*]}"
deb=${debs[0]}

echo "package_test: lintian $deb"
lintian --fail-on error "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libcmark; do
  [[ $depends == *"$library"* ]] || fail "Depends ($depends) lacks $library"
done

echo "package_test: installing it"
bash -euo pipefail -c "$(readme_block README.md "$section" 2)" </dev/null
dpkg -L vyrsyn | sort >"$work/files"

# Each program from PATH, in a directory of its own as a user would start it.
cd "$work"
cp "$OLDPWD/examples/orders-mistakes.txt" orders.txt
source_dir=$OLDPWD
"$source_dir/build-release/VyrSyn" 1 orders.txt >expected 2>/dev/null </dev/null
[[ $(command -v VyrSyn) == /usr/bin/VyrSyn ]] || fail "VyrSyn is not /usr/bin/VyrSyn on PATH"
VyrSyn 1 orders.txt >got 2>/dev/null </dev/null
cmp expected got || fail "the installed VyrSyn does not give the build's output"
status=0
vyrcheck --game 1 orders.txt >/dev/null || status=$?
((status == 2)) || fail "vyrcheck on the example ended with $status, not 2"
vyrpack check /usr/lib/vyrsyn/syntax.dat >/dev/null || fail "vyrpack check of the installed archive"
if [[ -f $source_dir/build-release/web/index.html ]]; then
  for file in index.html vyrengine.wasm syntax.dat; do
    [[ -f /usr/share/vyrsyn/web/$file ]] || fail "the site lacks /usr/share/vyrsyn/web/$file"
  done
fi
python3 "$source_dir/$here/lsp_check.py" vyrls orders.txt file:///usr/share/doc/vyrsyn/codes.md
if command -v vyrmail >/dev/null; then
  # A mail of the example orders, answered through a sendmail stand-in that keeps the reply.
  printf '#!/bin/sh\ncat >"%s/reply"\n' "$work" >"$work/sendmail"
  chmod +x "$work/sendmail"
  { printf 'From: player@example.org\nTo: orders@example.org\nSubject: turn\n\n'; cat orders.txt; } >mail
  vyrmail --from orders@example.org --sendmail "$work/sendmail" <mail || fail "vyrmail on a mail of the example orders"
  grep -q '^Auto-Submitted: auto-replied' reply || fail "vyrmail's reply lacks Auto-Submitted"
fi
bash "$source_dir/$here/programs_test.sh" /usr/bin /usr/share/bash-completion/completions/vyrcheck \
  "$(dpkg-query -W -f='${Version}' vyrsyn)"

# The web checker, started with the unit's own command line.
unit=/usr/lib/systemd/system/vyrserve.service
start=$(sed -n 's/^ExecStart=//p' "$unit")
[[ -n $start ]] || fail "no ExecStart in $unit"
address=$(grep -o -- '--listen [^ ]*' <<<"$start" | cut -d' ' -f2)
echo "package_test: $start"
$start >vyrserve.log 2>&1 </dev/null &
server=$!
# curl waits for the server to take connections, up to a minute.
answer=$(curl -sf --retry 60 --retry-connrefused --retry-delay 1 --max-time 5 "http://$address/healthz") || answer=
[[ -n $answer ]] || { cat vyrserve.log >&2; fail "no answer at http://$address/healthz"; }
echo "package_test: /healthz: $answer"
kill "$server"
wait "$server" || true
server=

# The README's recipe for the live game's data.
live=/data/repository/Vyr/System
if [[ -e /srv/vyr ]]; then
  echo "package_test: /srv/vyr exists, the live-data recipe is not tried"
else
  created+=(/srv/vyr)
  if [[ ! -e $live ]]; then  # a stand-in, made of the sample data, removed afterwards
    top=$live
    while [[ ! -e $(dirname "$top") ]]; do top=$(dirname "$top"); done
    created+=("$top")
    mkdir -p "$live"
    cp "$source_dir"/data/*.dat "$live"
  fi
  bash -euo pipefail -c "$(readme_block "$source_dir/README.md" "Where the game data comes from" 2)" </dev/null
  /srv/vyr/VyrSyn 1 orders.txt >live 2>/dev/null </dev/null
  cmp expected live || fail "/srv/vyr/VyrSyn does not check as the installed VyrSyn"
fi

echo "package_test: removing it"
apt-get purge -y -q vyrsyn </dev/null >/dev/null
left=()
while IFS= read -r path; do
  [[ -d $path && ! -L $path ]] && continue
  [[ -e $path || -L $path ]] && left+=("$path")
done <"$work/files"
for directory in /usr/lib/vyrsyn /usr/share/doc/vyrsyn; do
  [[ -e $directory ]] && left+=("$directory")
done
((${#left[@]} == 0)) || fail "left behind: ${left[*]}"
echo "package_test: built, checked by lintian, installed, run, removed"
