#!/usr/bin/env bash
# Packs a built release folder as Debian packages and checks them. kavu: lintian finds no
# error (its other remarks are shown), it holds exactly the files `cmake --install` installs for
# it, the menu entry and AppStream data name files it holds, every program has its manual page,
# its dependencies were computed, and the programs inside carry the package's version.
# python3-kavu, when built: lintian, its files, its dependencies, and the module imported and
# tested from the unpacked package.
set -euo pipefail
build=$(cd "${1:?usage: check_deb.sh BUILD_FOLDER}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "check_deb: $*" >&2
  exit 1
}

rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack failed"; }
debs=("$build"/packages/kavu_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one kavu_*.deb in $build/packages"
deb=${debs[0]}
echo "package: $deb"

lintian --display-info "$deb" || fail "lintian found errors"

# What the install rules promise, staged by CMake itself; Debian keeps manual pages gzipped.
cmake --install "$build" --prefix "$tmp/stage" --component kavu >/dev/null
sed "s|^$tmp/stage/||" "$build/install_manifest_kavu.txt" | sort >"$tmp/promised"
dpkg -x "$deb" "$tmp/root"
(cd "$tmp/root/usr" && find . ! -type d | sed 's|^\./||; s|^\(share/man/.*\)\.gz$|\1|' | sort) \
  >"$tmp/packed"
if ! diff -u --label installed --label packaged "$tmp/promised" "$tmp/packed"; then
  fail "the package and the install rules disagree"
fi

# The names that tie the files together: each must find its file in the package.
usr=$tmp/root/usr
for entry in "$usr"/share/applications/*.desktop; do
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [[ -x $usr/bin/$exec ]] || fail "$(basename "$entry") starts '$exec', which is not in usr/bin"
  compgen -G "$usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null ||
    fail "$(basename "$entry") shows icon '$icon', which is not in the hicolor theme"
done
for info in "$usr"/share/metainfo/*.metainfo.xml; do
  for id in $(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$info"); do
    [[ -f $usr/share/applications/$id ]] || fail "$(basename "$info") launches $id, not packaged"
  done
  for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$info"); do
    [[ -x $usr/bin/$binary ]] || fail "$(basename "$info") provides $binary, not packaged"
  done
done
for program in "$usr"/bin/*; do
  [[ -f $usr/share/man/man1/$(basename "$program").1.gz ]] ||
    fail "$(basename "$program") has no manual page"
done

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || fail "dependencies not computed: $depends"

version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}
grep -qaF "Kavu  Version $upstream. beta" "$tmp/root/usr/bin/kavu" ||
  fail "the About text of usr/bin/kavu does not carry version $upstream"
grep -qF "<release version=\"$upstream\"" "$tmp/root/usr/share/metainfo/"*.metainfo.xml ||
  fail "the AppStream release is not $upstream"
if [[ -x $tmp/root/usr/bin/kavu-sheet ]]; then
  "$tmp/root/usr/bin/kavu-sheet" --version | grep -qF "$upstream" ||
    fail "kavu-sheet --version does not say $upstream"
fi
echo "package checked: $(wc -l <"$tmp/promised") files, version $version"

pydebs=("$build"/packages/python3-kavu_*.deb)
if [[ -f ${pydebs[0]} ]]; then
  pydeb=${pydebs[0]}
  echo "package: $pydeb"
  lintian --display-info "$pydeb" || fail "lintian found errors in python3-kavu"
  cmake --install "$build" --prefix "$tmp/pystage" --component python >/dev/null
  sed "s|^$tmp/pystage/||" "$build/install_manifest_python.txt" | sort >"$tmp/pypromised"
  dpkg -x "$pydeb" "$tmp/pyroot"
  (cd "$tmp/pyroot/usr" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/pypacked"
  diff -u --label installed --label packaged "$tmp/pypromised" "$tmp/pypacked" ||
    fail "python3-kavu and the install rules disagree"
  depends=$(dpkg-deb -f "$pydeb" Depends)
  [[ $depends == *python3\ \(\>=* && $depends == *python3-numpy* && $depends == *libstdc++6* ]] ||
    fail "python3-kavu dependencies not computed: $depends"
  [[ $(dpkg-deb -f "$pydeb" Version) == "$version" ]] || fail "python3-kavu is not version $version"
  # The module from the unpacked package, not from the build tree.
  site=$(cd "$tmp/pyroot/usr/lib/python3/dist-packages" && pwd)
  answer=$(cd "$tmp" && PYTHONPATH=$site /usr/bin/python3 -c \
    'import kavu; print(kavu.__file__); print(kavu.sheet(55.7558, 37.6173))')
  [[ $answer == "$site/kavu/__init__.py"$'\n'"N-37-4-В" ]] ||
    fail "the unpacked module answers: $answer"
  tests=$(cd "$(dirname "$0")/../python" && pwd)
  (cd "$tmp" && PYTHONPATH=$site PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q \
    -p no:cacheprovider "$tests/test_api.py" "$tests/test_geo.py" "$tests/test_gk.py") ||
    fail "the unpacked module fails its tests"
  echo "package checked: $(wc -l <"$tmp/pypromised") files, version $version"
fi
