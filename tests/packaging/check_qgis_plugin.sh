#!/usr/bin/env bash
# Checks the QGIS plugin as shipped, after check_deb.sh has packed a release folder: lintian finds
# no error in qgis-plugin-kavu, the package holds the plugin where Debian's QGIS finds system
# plugins, its metadata carries the package's version, the ZIP holds the same files under one
# folder, and qgis_process lists the algorithms from the unpacked packages alone.
set -euo pipefail
build=$(cd "${1:?usage: check_qgis_plugin.sh BUILD_FOLDER}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "check_qgis_plugin: $*" >&2
  exit 1
}

debs=("$build"/packages/qgis-plugin-kavu_*_all.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one qgis-plugin-kavu_*_all.deb"
deb=${debs[0]}
echo "package: $deb"
lintian --display-info "$deb" || fail "lintian found errors"

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *python3-kavu*"(= $version)"* && $depends == *python3-qgis* ]] ||
  fail "dependencies: $depends"
dpkg -x "$deb" "$tmp/root"
plugins=$tmp/root/usr/share/qgis/python/plugins
grep -qx "version=${version%-*}" "$plugins/kavu_sheets/metadata.txt" ||
  fail "metadata.txt does not carry version ${version%-*}"

cmake --build "$build" --target kavu_qgis_zip >/dev/null
(cd "$tmp" && mkdir zip && cd zip && cmake -E tar xf "$build"/qgis/kavu-qgis-plugin-*.zip)
diff -r "$tmp/zip" "$plugins" || fail "the ZIP and the package hold different plugins"

# The module from its own package, QGIS's plugin path and a profile of the check's own.
pythons=("$build"/packages/python3-kavu_*.deb)
[[ -f ${pythons[0]} ]] || fail "python3-kavu is not packed beside the plugin"
dpkg -x "${pythons[0]}" "$tmp/root"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/home QT_QPA_PLATFORM=offscreen PYTHONDONTWRITEBYTECODE=1
export QGIS_PLUGINPATH=$plugins PYTHONPATH=$tmp/root/usr/lib/python3/dist-packages
mkdir -p "$HOME"
# Debian's qgis_process script passes the desktop's --noversioncheck, which the program refuses.
qgis_process.bin plugins enable kavu_sheets >/dev/null 2>&1 || fail "QGIS cannot enable the plugin"
listed=$(qgis_process.bin list 2>/dev/null)
for id in kavu:sheetgrid kavu:coverlayer kavu:sheetnames kavu:kmgrid kavu:georeference; do
  grep -qF "$id" <<<"$listed" || fail "qgis_process does not list $id"
done
echo "QGIS plugin checked: version $version"
