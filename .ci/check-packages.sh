#!/usr/bin/env bash
# Builds and checks what dustpan ships: the install tree, the .tar.gz and .deb, the Windows .zip
# and the version resource and manifest inside dustpan.exe. Expects build/release and
# build/windows to be built.
set -euo pipefail
version=$(sed -n 's/^project(dustpan VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
fail() { echo "package check: $*" >&2; exit 1; }
has() {  # LISTING PATTERN WHAT
  grep -qE "$2" <<<"$1" || fail "$3 is missing"
}

echo "-- install tree"
prefix=$(mktemp -d)
cmake --install build/release --prefix "$prefix" >/dev/null
[ -x "$prefix/bin/dustpan" ] || fail "bin/dustpan is not installed"
[ -f "$prefix/share/man/man1/dustpan.1" ] || fail "the man page is not installed"
grep -q "dustpan $version" "$prefix/share/man/man1/dustpan.1" || fail "the man page does not carry version $version"
warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/dustpan.1" 2>&1)
[ -z "$warnings" ] || fail "the man page has formatting problems: $warnings"
rm -rf "$prefix"

echo "-- .tar.gz and .deb"
(cd build/release && cpack >/dev/null)
tarball=$(ls build/release/dustpan-"$version"-*.tar.gz)
listing=$(tar tzf "$tarball")
has "$listing" '/bin/dustpan$' "bin/dustpan in $tarball"
has "$listing" '/share/man/man1/dustpan\.1$' "the man page in $tarball"
deb=$(ls build/release/dustpan_"$version"_*.deb)
listing=$(dpkg-deb -c "$deb")
has "$listing" '\./usr/bin/dustpan$' "/usr/bin/dustpan in $deb"
has "$listing" '\./usr/share/man/man1/dustpan\.1' "the man page in $deb"
info=$(dpkg-deb -I "$deb")
has "$info" "^ Package: dustpan$" "the package name in $deb"
has "$info" "^ Version: $version$" "version $version in $deb"
has "$info" "^ Depends: libc6" "the libc dependency in $deb"

echo "-- Windows .zip"
(cd build/windows && cpack >/dev/null)
zip=$(ls build/windows/dustpan-"$version"-*.zip)
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
for file in dustpan.exe README.md LICENSE; do has "$listing" "(^|/)$file$" "$file in $zip"; done

echo "-- version resource and manifest in dustpan.exe"
exe=build/windows/src/dustpan.exe
sections=$(x86_64-w64-mingw32-objdump -h "$exe")
wide=$(strings -el "$exe")
narrow=$(strings "$exe")
has "$sections" '\.rsrc' "the resource section of dustpan.exe"
has "$wide" '^ProductVersion$' "the version information in dustpan.exe"
has "$wide" "^$version\$" "version $version in the version information"
has "$narrow" 'requestedExecutionLevel level="asInvoker"' "the asInvoker manifest"
has "$narrow" 'supportedOS Id="\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}"' "Windows 10 in the manifest"
echo "package check: install tree, $tarball, $deb, $zip and the resource are as expected"
