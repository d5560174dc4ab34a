#!/usr/bin/env bash
# Installs into a prefix and checks the layout, the manual pages, the shell completion, the
# desktop entry and the AppStream metadata; builds the Debian package, checks it with lintian,
# unpacks it into a temporary root (the machine itself is not touched) and rips a generated
# disc with the console ripper from there.
set -euo pipefail
build=${1:?build folder}
cmake=${2:-cmake}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/veltracdrip-cli bin/VeltraCDRip lib/veltracdrip/veltracdrip-cli lib/veltracdrip/libVeltraenc.so \
         lib/veltracdrip/libVeltracache.so lib/veltracdrip/libVeltrarip32.so lib/veltracdrip/veltracdripper.chm \
         lib/veltracdrip/help/index.html share/applications/veltracdrip.desktop \
         share/icons/hicolor/48x48/apps/veltracdrip.png; do
  [ -e "$work/prefix/$f" ] || fail "installed layout lacks $f"
done
[ -L "$work/prefix/bin/veltracdrip-cli" ] || fail "the launcher is no link into the program's folder"
for f in "$work"/prefix/lib/veltracdrip/lib*.so; do
  case "$(basename "$f")" in liblame_enc.so|libbladeenc.so|libvorb_enc.so|libflac_enc.so|libopus_enc.so|libVelt*) ;; *) fail "unexpected $f";; esac
done
help=$("$work/prefix/bin/veltracdrip-cli" --help) || fail "installed launcher does not run"
grep -q -- "--overwrite" <<<"$help" || fail "installed launcher does not run"

# Manual pages: shown by man, no complaint from groff, and made from today's --help.
for program in VeltraCDRip veltracdrip-cli cddb-dump; do
  page="$work/prefix/share/man/man1/$program.1.gz"
  [ -f "$page" ] || fail "no manual page for $program"
  "$work/prefix/bin/$program" --version | grep -q "2\.[0-9]" || fail "$program --version"
  shown=$(MANWIDTH=80 man -l "$page" 2>&1) || fail "man -l $program: $shown"
  grep -q "^NAME" <<<"$shown" || fail "man -l $program shows no NAME section"
  complaints=$(zcat "$page" | groff -man -ww -z 2>&1) || true
  [ -z "$complaints" ] || fail "groff on the $program page: $complaints"
  while read -r option; do
    grep -qF -- "$option" <<<"$shown" || fail "the $program page lacks $option"
  done < <("$work/prefix/bin/$program" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)
done

# Completion: every option of --help, and the values of --format.
completion="$work/prefix/share/bash-completion/completions/veltracdrip-cli"
[ -f "$completion" ] || fail "no bash completion"
complete_words() { # the words offered after the given command line
  bash -c 'shopt -s extglob; source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
           _veltracdrip_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
offered=$(complete_words veltracdrip-cli --)
while read -r option; do
  grep -qx -- "$option" <<<"$offered" || fail "completion lacks $option"
done < <("$work/prefix/bin/veltracdrip-cli" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)
[ "$(complete_words veltracdrip-cli --format m)" = mp3 ] || fail "completion of --format"

# Desktop entry and AppStream metadata; screenshots only under an https base URL.
desktop-file-validate "$work/prefix/share/applications/veltracdrip.desktop" || fail "desktop entry"
metainfo="$work/prefix/share/metainfo/example.veltracdrip.VeltraCDRip.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "$(appstreamcli validate --no-net "$metainfo")"
shots="$work/shots.metainfo.xml"
metainfo_with() {
  "$cmake" -DVELTRA_METAINFO_IN="$source_dir/packaging/veltracdrip.metainfo.xml.in" \
    -DVELTRA_METAINFO_OUT="$shots" -DPROJECT_VERSION=2.0.0 -DVELTRA_RELEASE_DATE=2026-12-08 \
    -DVELTRA_SCREENSHOT_BASE_URL="$1" -P "$source_dir/cmake/Metainfo.cmake" >/dev/null 2>&1
}
if grep -q '^VELTRA_SCREENSHOT_BASE_URL:STRING=$' "$build/CMakeCache.txt"; then
  ! grep -q "<screenshot" "$metainfo" || fail "screenshots listed without a base URL"
fi
metainfo_with https://example.org/veltracdrip/shots/ || fail "metadata with a screenshot URL"
grep -q "<image>https://example.org/veltracdrip/shots/main-window.png</image>" "$shots" || fail "screenshot URL"
appstreamcli validate --no-net "$shots" >/dev/null || fail "$(appstreamcli validate --no-net "$shots")"
metainfo_with http://example.org/shots && fail "a plain http screenshot URL was taken"

(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack"
deb=$(ls "$build"/package/veltracdrip_*.deb | head -n 1)
[ -f "$deb" ] || fail "no package"
info=$(dpkg-deb --info "$deb")
grep -q "Depends:.*libcdio" <<<"$info" || fail "package does not depend on libcdio"
dpkg-deb -x "$deb" "$work/root"
[ -f "$work/root/usr/share/doc/veltracdrip/copyright" ] || fail "package lacks the copyright file"
# lintian: no error; the warnings left are listed in the README.
lint=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1) || fail "lintian: $lint"
[ -z "$lint" ] || printf 'lintian:\n%s\n' "$lint"
"$build/tools/mkdiscimage" --tracks 40,75 "$work/disc" >/dev/null
mkdir -p "$work/out"
"$work/root/usr/bin/veltracdrip-cli" --image "$work/disc.cue" --out "$work/out" --format wav >/dev/null || fail "packaged ripper failed"
[ "$(stat -c %s "$work/out/Track 02.wav")" = $((44 + 75 * 2352)) ] || fail "packaged rip has the wrong size"
cmp -s <(tail -c $((75 * 2352)) "$work/out/Track 02.wav") <(tail -c $((75 * 2352)) "$work/disc.bin") || fail "packaged rip differs from the disc"
echo "install layout and package OK: $(basename "$deb")"
