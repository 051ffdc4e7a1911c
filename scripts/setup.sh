#!/usr/bin/env bash
# Installs the Debian packages Kavu needs to build, test and run. As root it installs what is
# missing with apt-get; otherwise it names the missing packages and stops.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libglx-dev libvulkan-dev
  qt6-qpa-plugins fonts-dejavu-core
  clang libclang-rt-14-dev
  xvfb xauth x11-apps imagemagick
  libcli11-dev nlohmann-json3-dev rapidjson-dev time
  libproj-dev proj-bin proj-data libgdal-dev gdal-bin
  dpkg-dev fakeroot file lintian appstream desktop-file-utils groff-base
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Kavu needs these Debian packages, which are not installed:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
