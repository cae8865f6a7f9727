#!/usr/bin/env bash
# test-install.sh CMAKE BUILD_DIR PYTHON
# Installs the Python module as `cmake --install --prefix /usr` would, into a scratch
# root, and imports it from there with Debian's Python: the file lands in Debian's
# dist-packages and works without the build tree.
set -euo pipefail
cmake=$1 build=$2 python=$3
root=$(mktemp -d "${TMPDIR:-/tmp}/vendrel-python-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
DESTDIR=$root "$cmake" --install "$build" --prefix /usr --component python >/dev/null
site=$root$("$python" -c "import sysconfig; print(sysconfig.get_path('platlib', 'deb_system'))")
ls "$site"/vendrel.*.so "$site"/vendrel.pyi
out=$(cd "$root" && PYTHONPATH=$site "$python" -c "import vendrel; print(vendrel.__file__); print(vendrel.fly())")
echo "$out"
grep -q "^$site/vendrel" <<<"$out" || { echo "FAIL: imported from elsewhere" >&2; exit 1; }
grep -q "'carry': 183.0" <<<"$out" || { echo "FAIL: the default flight" >&2; exit 1; }
