#!/usr/bin/env bash
# Builds the release without tests and packs it as Debian packages, written to
# build-package/packages/kavu_<version>_<architecture>.deb and, with the Python module,
# python3-kavu_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVU_TESTS=OFF -DKAVU_BENCH=OFF \
  >/dev/null
cmake --build build-package -j"$(nproc 2>/dev/null || echo 2)"
rm -rf build-package/packages
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/packages/*.deb
