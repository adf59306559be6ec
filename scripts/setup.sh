#!/usr/bin/env bash
# Installs what the build, the tests and `make run` need on a Debian machine, and nothing that is
# already there. Safe to run again: it is quick when everything is in place.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
third="$here/build/third_party"

packages=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix cmake ninja-build nasm
          wine64 xvfb xauth x11-utils locales fonts-ipafont-gothic fonts-ipafont-mincho googletest
          imagemagick xdotool libjpeg-turbo-progs cups printer-driver-cups-pdf poppler-utils
          dpkg-dev libjpeg62-turbo-dev libgtest-dev clang libclang-rt-dev matchbox-window-manager
          clang-format)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# libjpeg-turbo comes from Debian's source package, built for the Windows target.
if [ ! -f "$third/jpeg/lib/libjpeg.a" ]; then
  mkdir -p "$third/src"
  if ! ls "$third"/src/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
    if [ ! -f /etc/apt/sources.list.d/debian-src.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        > /etc/apt/sources.list.d/debian-src.sources
      apt-get update -qq
    fi
    (cd "$third/src" && apt-get source --download-only -qq libjpeg-turbo >/dev/null)
  fi
  tarball=$(ls "$third"/src/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$third/src/jpeg" && mkdir -p "$third/src/jpeg"
  tar -xzf "$tarball" -C "$third/src/jpeg" --strip-components=1
  cmake -S "$third/src/jpeg" -B "$third/src/jpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-toolchain.cmake" \
    -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$third/jpeg" >/dev/null
  cmake --build "$third/src/jpeg-build" --target install -j2 >/dev/null
fi

# GoogleTest for the Windows target.
if [ ! -f "$third/gtest/lib/libgtest.a" ]; then
  cmake -S /usr/src/googletest -B "$third/src/gtest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -Dgtest_disable_pthreads=OFF -DCMAKE_INSTALL_PREFIX="$third/gtest" >/dev/null
  cmake --build "$third/src/gtest-build" --target install -j2 >/dev/null
fi
