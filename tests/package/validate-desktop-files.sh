#!/usr/bin/env bash
# validate-desktop-files.sh DESKTOP METAINFO VERSION
# Runs both validators (a missing validator is a failure, never a skip) and checks
# what ties the files together: the one id, the version, the translations.
set -uo pipefail
desktop=$1 metainfo=$2 version=$3
fail=0
problem() { echo "FAIL: $*" >&2; fail=1; }

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-deps)" >&2; exit 1; }
done
[[ -f $desktop ]] || { echo "FAIL: no $desktop" >&2; exit 1; }
[[ -f $metainfo ]] || { echo "FAIL: no $metainfo (configured by cmake/Install.cmake)" >&2; exit 1; }

# desktop-file-validate exits 0 on hints; errors and warnings fail it.
out=$(desktop-file-validate "$desktop" 2>&1)
rc=$?
[[ -n $out ]] && echo "$out"
if [[ $rc -ne 0 ]] || grep -Eq '(error|warning):' <<<"$out"; then
  problem "desktop-file-validate reported errors or warnings"
fi
appstreamcli validate --no-net --no-color "$metainfo" || problem "appstreamcli validate failed"

id=$(basename "$desktop" .desktop)
key() { grep -m1 "^$1=" "$desktop" | cut -d= -f2-; }
[[ $(key Icon) == "$id" ]] || problem "Icon=$(key Icon), expected $id"
[[ $(key Exec) == vendrel ]] || problem "Exec=$(key Exec), expected vendrel"
for k in Name 'Name\[ja\]' Comment 'Comment\[ja\]'; do
  [[ -n $(key "$k") ]] || problem "no $k in the desktop entry"
done
[[ $(key Categories) == *Education\;* && $(key Categories) == *Science\;* ]] ||
  problem "Categories=$(key Categories) lacks Education or Science"

grep -q "<id>$id</id>" "$metainfo" || problem "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  problem "the AppStream data does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || problem "no release $version in the AppStream data"
grep -Eq '@[A-Z_]+@' "$metainfo" && problem "an unconfigured @VARIABLE@ is left in $metainfo"

[[ $fail -eq 0 ]] && echo "desktop entry and AppStream data: ok"
exit $fail
