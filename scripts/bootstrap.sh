#!/usr/bin/env bash
# Installs every Debian package that building and testing Lumora needs. Quiet, and quick when
# everything is there already: apt-get only runs for what is missing, and its package lists are
# refreshed at most once per machine.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev      # native build, sanitizers, libFuzzer
  googletest libgtest-dev libbenchmark-dev             # tests and benchmarks
  libjpeg-dev libgif-dev libstb-dev                    # picture codecs
  g++-mingw-w64-x86-64-posix nasm wine                 # Windows cross build, run under Wine
  dpkg-dev                                             # apt-get source, for scripts/mingw-deps.sh
  libsdl2-dev libsdl2-mixer-dev libx11-dev            # the Linux player: window, sound, music
  libxinerama-dev libxrandr-dev libxfixes-dev         # its monitors; the tests' monitors, pointer
  libgtk-3-dev pkg-config                              # the Linux configuration dialog
  xvfb xdotool x11-utils imagemagick                   # a display for window tests, screenshots
  tesseract-ocr                                        # reads the dialog's texts in its screenshots
  python3                                              # checks of the tools' JSON output
  nlohmann-json3-dev                                   # JSON in vxscene (header only)
)

# One dpkg-query for all packages: one per package costs half a second.
declare -A installed=()
while read -r name status; do
  [[ $status == "install ok installed" ]] && installed[${name%%:*}]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
  [[ -n ${installed[$package]:-} ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
stamp=/var/lib/apt/lists/.lumora-updated
if [[ ! -e $stamp ]]; then
  $sudo apt-get update -qq
  $sudo touch "$stamp"
fi
echo "bootstrap: installing ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
