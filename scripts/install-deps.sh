#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt, skipping the
# download when every one of them is already installed, and generates the
# de_DE.UTF-8 locale the tests use.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t pkgs < <(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$')
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi
# The tests send receiver commands under a decimal-comma locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "could not generate de_DE.UTF-8"
fi
