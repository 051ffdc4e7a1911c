#!/usr/bin/env bash
# Builds the release without tests and packs it as Debian packages, written to
# build-package/packages/: kavu_<version>_<architecture>.deb and, with the Python module,
# python3-kavu_<version>_<architecture>.deb and qgis-plugin-kavu_<version>_all.deb; beside them
# the QGIS plugin as a ZIP for QGIS's "Install from ZIP" (kavu-qgis-plugin-<version>.zip).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVU_TESTS=OFF -DKAVU_BENCH=OFF \
  >/dev/null
cmake --build build-package -j"$(nproc 2>/dev/null || echo 2)"
rm -rf build-package/packages
(cd build-package && cpack -G DEB >/dev/null)
cmake --build build-package --target kavu_qgis_zip >/dev/null
cp build-package/qgis/kavu-qgis-plugin-*.zip build-package/packages/
ls build-package/packages/*
