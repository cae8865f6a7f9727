#!/usr/bin/env bash
# test-deb.sh CPACK CPACK_CONFIG VERSION PROGRAMS [PYTHON]
# Builds the .deb files from this build tree into a scratch directory, unpacks them as
# dpkg would, and checks what a user would get: the control fields, the files, and the
# unpacked programs running. PROGRAMS is a comma-separated list of the programs the
# tree builds (vendrel, vendrel-flight); only those are expected and run. PYTHON, when
# the tree builds the Python module, is the interpreter that imports it from
# python3-vendrel.
set -uo pipefail
cpack=$1 config=$2 version=$3 python=${5:-}
IFS=, read -r -a programs <<<"$4"
app_id=org.vendrel.Vendrel

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vendrel-deb.XXXXXX")
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail=0
problem() { echo "FAIL: $*" >&2; fail=1; }
has() { local p; for p in "${programs[@]}"; do [[ $p == "$1" ]] && return 0; done; return 1; }

for tool in dpkg-deb dpkg-shlibdeps file readelf; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-deps)" >&2; exit 1; }
done

start=$SECONDS
if ! "$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack failed" >&2
  exit 1
fi
debs=("$scratch"/out/*.deb)
expected_debs=1
[[ -n $python ]] && expected_debs=2
[[ ${#debs[@]} -eq $expected_debs ]] || { echo "FAIL: expected $expected_debs .deb files, got: ${debs[*]}" >&2; exit 1; }
deb=$(ls "$scratch"/out/vendrel_*.deb 2>/dev/null)
[[ -f $deb ]] || { echo "FAIL: no vendrel_*.deb among: ${debs[*]}" >&2; exit 1; }
echo "built $(basename "$deb"): $(stat -c %s "$deb") bytes in $((SECONDS - start)) s"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vendrel ]] || problem "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || problem "Version: $(field Version), expected $version"
[[ $(field Section) == science ]] || problem "Section: $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
needed=(qt6-qpa-plugins fonts-ipafont-gothic)
has vendrel && needed+=(libqt6widgets6 libqt6gui6 libqt6core6)
# Each dependency is a whole package name, maybe with a version: "libqt6core6 (>= 6.4)".
for pkg in "${needed[@]}"; do
  grep -Eq "(^|, )$pkg( \(|,|$)" <<<"$depends" || problem "Depends lacks $pkg"
done

# The window and the command line need neither Python nor numpy: those come with
# python3-vendrel only.
if grep -Eiq "python|numpy" <<<"$depends"; then problem "the vendrel package depends on Python: $depends"; fi

root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x" >&2; exit 1; }
if dpkg-deb -c "$deb" | grep -Eq "python|vendrel\.pyi"; then
  problem "the vendrel package carries the Python module: $(dpkg-deb -c "$deb" | grep -E 'python|\.pyi')"
fi
expected=(
  usr/share/applications/$app_id.desktop
  usr/share/metainfo/$app_id.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/$app_id.svg
  usr/share/man/man1/vendrel.1
  usr/share/man/man1/vendrel-flight.1
)
for size in 16 32 48 128 256; do
  expected+=(usr/share/icons/hicolor/${size}x$size/apps/$app_id.png)
done
for p in "${programs[@]}"; do expected+=(usr/bin/$p); done
for f in "${expected[@]}"; do
  [[ -s $root/$f ]] || problem "the package lacks /$f"
done
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" 2>/dev/null ||
  problem "the packaged AppStream data lacks release $version"
grep -q "$version" "$root/usr/share/man/man1/vendrel-flight.1" 2>/dev/null ||
  problem "the packaged manual page does not name version $version"

for p in "${programs[@]}"; do
  bin=$root/usr/bin/$p
  [[ -x $bin ]] || { problem "/usr/bin/$p is not executable"; continue; }
  # A run path into the build tree would work here and nowhere else.
  rpath=$(readelf -d "$bin" | grep -E 'R(UN)?PATH' || true)
  [[ -z $rpath ]] || problem "/usr/bin/$p has a run path: $rpath"
  pylib=$(readelf -d "$bin" | grep -E 'NEEDED.*python' || true)
  [[ -z $pylib ]] || problem "/usr/bin/$p needs Python: $pylib"
done

if has vendrel-flight; then
  out=$(timeout 30 "$root/usr/bin/vendrel-flight" --version 2>&1)
  rc=$?
  echo "vendrel-flight --version: $out"
  [[ $rc -eq 0 ]] || problem "vendrel-flight --version exited $rc"
  grep -Eq "(^|[^0-9.])${version//./\\.}([^0-9.]|$)" <<<"$out" || problem "vendrel-flight --version does not print $version"
fi

if has vendrel; then
  # The window runs until it is closed; alive after a second means it got through
  # start-up (platform plugin, fonts, resources) with the packaged files only.
  QT_QPA_PLATFORM=offscreen "$root/usr/bin/vendrel" >"$scratch/vendrel.log" 2>&1 &
  app_pid=$!
  sleep 1
  if kill -0 "$app_pid" 2>/dev/null; then
    echo "vendrel: running after 1 s"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null
  else
    wait "$app_pid"
    problem "vendrel exited within 1 s with status $?: $(head -c 2000 "$scratch/vendrel.log")"
  fi
  app_pid=
fi

if [[ -n $python ]]; then
  pydeb=$(ls "$scratch"/out/python3-vendrel_*.deb 2>/dev/null)
  if [[ ! -f $pydeb ]]; then
    problem "no python3-vendrel_*.deb among: ${debs[*]}"
  else
    pyfield() { dpkg-deb -f "$pydeb" "$1"; }
    [[ $(pyfield Version) == "$version" ]] || problem "python3-vendrel Version: $(pyfield Version)"
    pydepends=$(pyfield Depends)
    echo "python3-vendrel Depends: $pydepends"
    [[ $(pyfield Section) == python ]] || problem "python3-vendrel Section: $(pyfield Section)"
    for pkg in python3-numpy python3 libc6; do
      grep -Eq "(^|, )$pkg( \(|,|$)" <<<"$pydepends" || problem "python3-vendrel Depends lacks $pkg"
    done
    pyroot=$scratch/pyroot
    dpkg-deb -x "$pydeb" "$pyroot" || problem "dpkg-deb -x python3-vendrel"
    site=$pyroot$("$python" -c "import sysconfig; print(sysconfig.get_path('platlib', 'deb_system'))")
    for f in vendrel/__init__.pyi vendrel/__init__.py vendrel/_dask.py vendrel/_dispersion.py vendrel/_history.py; do
      [[ -s $site/$f ]] || problem "python3-vendrel lacks $f in ${site#"$pyroot"}"
    done
    out=$(cd "$scratch" && PYTHONPATH=$site timeout 60 "$python" -c \
          "import vendrel; print(vendrel.__file__); print(vendrel.fly()['carry'])" 2>&1)
    echo "import vendrel: $out"
    grep -q "^$site/vendrel" <<<"$out" && grep -qx "183.0" <<<"$out" ||
      problem "the packaged module does not fly the default flight from ${site#"$pyroot"}"
  fi
fi

[[ $fail -eq 0 ]] && echo "package: ok in $((SECONDS - start)) s"
exit $fail
