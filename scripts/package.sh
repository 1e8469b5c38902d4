#!/usr/bin/env bash
# Makes the Debian package jotterbase_VERSION_ARCH.deb in the current folder from a Release
# build, and with --check proves it: unpacked into a scratch root, its programs run with a
# scratch home folder, and its desktop entry, AppStream file, man pages, completion and the
# package itself pass their validators.
#   scripts/package.sh [--check] [--build-dir DIR] [--output DIR] [-- CMAKE_ARGS...]
# Without --build-dir it configures (once) and builds the programs alone in build-release/
# (JB_JOBS jobs, default all cores); with it, it packages the programs of that built tree as
# they are (any build type; they are stripped). Extra arguments after -- go to the CMake
# configure of build-release/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=""
output=$PWD
check=no
while [ $# -gt 0 ]; do
  case "$1" in
    --check) check=yes; shift ;;
    --build-dir) build_dir=$(cd "${2:?--build-dir needs a folder}" && pwd); shift 2 ;;
    --output) mkdir -p "${2:?--output needs a folder}" && output=$(cd "$2" && pwd); shift 2 ;;
    --) shift; break ;;
    -h|--help) sed -n '2,10s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "package.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "package.sh: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

if [ -z "$build_dir" ]; then
  build_dir=$top/build-release
  if [ ! -f "$build_dir/build.ninja" ]; then
    # Linked as Debian links its packages: relocations read-only, bound at start.
    cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DJB_BENCH=OFF \
      "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" "$@" >/dev/null
  fi
  cmake --build "$build_dir" --parallel "${JB_JOBS:-$(nproc)}" --target jotterbase jotterbase-cli jotterbase-transfer IndexBld
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$output/jotterbase_${version}_${arch}.deb
work=$(mktemp -d "${TMPDIR:-/tmp}/jotterbase-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root

# The files, as the install rules lay them out under /usr.
DESTDIR=$root cmake --install "$build_dir" --prefix /usr --strip >/dev/null
gzip -9n "$root"/usr/share/man/man1/*.1
doc=$root/usr/share/doc/jotterbase
mkdir -p "$doc"
cp "$top/packaging/copyright" "$doc/copyright"
# The date of the last commit keeps the package the same for the same source.
date=$(git -C "$top" log -1 --format=%cD 2>/dev/null || date -R)
maintainer=${JB_MAINTAINER:-Jotterbase developers <jotterbase@example.org>}
printf 'jotterbase (%s) unstable; urgency=medium\n\n  * Jotterbase %s.\n\n -- %s  %s\n' \
  "$version" "$version" "$maintainer" "$date" | gzip -9n >"$doc/changelog.gz"
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/* "$root"/usr/lib/jotterbase/*

# Depends: the libraries the programs link, the Qt plugins they load (SVG icons) and the
# Hunspell dictionaries the lexicon lists name.
mkdir -p "$work/debian"
touch "$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O -e"$root/usr/bin/jotterbase" -e"$root/usr/bin/jotterbase-cli" \
  -e"$root/usr/lib/jotterbase/jotterbase-transfer" -e"$root/usr/lib/jotterbase/IndexBld" 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')
if [ -z "$shlibs" ]; then
  echo "package.sh: dpkg-shlibdeps found no libraries for the programs" >&2
  exit 1
fi
dictionaries=$(sed 's|.*/\([^/]*\)\.aff,.*|\1|' "$root"/usr/share/jotterbase/*.Lexicon |
  tr 'A-Z_' 'a-z-' | sed 's/^/hunspell-/' | sort -u | paste -sd, | sed 's/,/, /g')

mkdir -p "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: jotterbase
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, libqt6svg6, $dictionaries
Section: editors
Priority: optional
Description: notes kept as numbered pages of rich text
 Jotterbase keeps free-form notes as numbered pages of rich text in a local
 page database, a data set. Pages can be searched with a query language,
 protected with a password and given reminders that come up when they are due.
 .
 jotterbase is the desktop program; jotterbase-cli gives scripts and backups
 the same data sets without a window (add, show, search, import, export, check).
 Each user's notes live in a program folder of his own, ~/Jotterbase unless
 --folder or JOTTERBASE_FOLDER names another.
CONTROL
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
dpkg-deb --root-owner-group --build -Zxz "$root" "$deb" >/dev/null
echo "$deb"

if [ "$check" = yes ]; then
  "$top/scripts/check-package.sh" "$deb"
fi
