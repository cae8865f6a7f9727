#!/usr/bin/env bash
# test-install.sh CMAKE BUILD_DIR PYTHON
# Installs as `cmake --install` does, into scratch directories, and runs what it put
# there: with --prefix /usr the Python module lands in Debian's dist-packages; under
# any other prefix everything lands below that prefix, the module in
# lib/python3.X/dist-packages, and works without the build tree. The module is a
# package: vendrel/ with the compiled vendrel._vendrel, its Python and its stub.
set -euo pipefail
cmake=$1 build=$2 python=$3
root=$(mktemp -d "${TMPDIR:-/tmp}/vendrel-python-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Imports the module from $1 alone and flies the default flight.
imports_from() {
  local out
  out=$(cd "$root" && PYTHONPATH=$1 "$python" -c "import vendrel; print(vendrel.__file__); print(vendrel.fly())")
  echo "$out"
  grep -q "^$1/vendrel" <<<"$out" || fail "imported from elsewhere than $1"
  grep -q "'carry': 183.0" <<<"$out" || fail "the default flight"
}

DESTDIR=$root/destdir "$cmake" --install "$build" --prefix /usr --component python >/dev/null
site=$root/destdir$("$python" -c "import sysconfig; print(sysconfig.get_path('platlib', 'deb_system'))")
ls "$site"/vendrel/_vendrel.*.so "$site"/vendrel/__init__.pyi "$site"/vendrel/__init__.py "$site"/vendrel/_dask.py
imports_from "$site"

prefix=$root/opt/vendrel
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
version=$("$python" -c "import sys; print(f'{sys.version_info[0]}.{sys.version_info[1]}')")
local_site=$prefix/lib/python$version/dist-packages
ls "$local_site"/vendrel/_vendrel.*.so "$local_site"/vendrel/__init__.pyi "$local_site"/vendrel/_dispersion.py
[[ ! -e $prefix/lib/python3/dist-packages ]] || fail "Debian's own module directory under $prefix"
for f in bin/vendrel bin/vendrel-flight share/man/man1/vendrel.1 share/man/man1/vendrel-flight.1 \
         share/applications/org.vendrel.Vendrel.desktop; do
  [[ -s $prefix/$f ]] || fail "nothing at $prefix/$f"
done
outside=$(grep -v "^$prefix/" "$build/install_manifest.txt" || true)
[[ -z $outside ]] || fail "installed outside $prefix: $outside"
"$prefix/bin/vendrel-flight" --format json | grep -q '"carry": 183' || fail "the installed vendrel-flight"
imports_from "$local_site"
