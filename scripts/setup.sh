#!/usr/bin/env bash
# Installs what the build and the tests need and this machine lacks.
# As root it installs with apt-get; otherwise it prints the command to run.
source "$(dirname "$0")/common.sh"

missing=()
need() { # need PACKAGE TEST-COMMAND...
    local package="$1"; shift
    "$@" >/dev/null 2>&1 || missing+=("$package")
}
need cmake command -v cmake
need g++ command -v g++
need g++-mingw-w64-x86-64-posix command -v x86_64-w64-mingw32-g++-posix
need binutils-mingw-w64-x86-64 command -v x86_64-w64-mingw32-windres
need wine command -v wine
need wine64 test -x /usr/lib/wine/wine64
need libboost-json1.81-dev test -f /usr/include/boost/json/src.hpp
need libboost1.81-dev grep -q 'BOOST_LIB_VERSION "1_81"' /usr/include/boost/version.hpp
need googletest test -f /usr/src/googletest/CMakeLists.txt
need libgtest-dev test -f /usr/include/gtest/gtest.h
need libbenchmark-dev test -f /usr/include/benchmark/benchmark.h
need clang command -v clang++
need clang-format command -v clang-format
need libclang-rt-14-dev compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a"
need valgrind command -v valgrind
need zip command -v zip
need unzip command -v unzip
need pandoc command -v pandoc
need locales test -f /usr/share/i18n/locales/de_DE

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: everything needed is installed"
    exit 0
fi
command="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]}"
    echo "setup: run as root: $command"
    exit 1
fi
step "Installing ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
