#!/usr/bin/env bash
# Installs into a prefix and checks the layout; builds the Debian package, unpacks it into a
# temporary root (the machine itself is not touched) and rips a generated disc with the
# console ripper from there.
set -euo pipefail
build=${1:?build folder}
cmake=${2:-cmake}
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
"$work/prefix/bin/veltracdrip-cli" --help | grep -q -- "--overwrite" || fail "installed launcher does not run"

(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack"
deb=$(ls "$build"/package/veltracdrip_*.deb | head -n 1)
[ -f "$deb" ] || fail "no package"
info=$(dpkg-deb --info "$deb")
grep -q "Depends:.*libcdio" <<<"$info" || fail "package does not depend on libcdio"
dpkg-deb -x "$deb" "$work/root"
"$build/tools/mkdiscimage" --tracks 40,75 "$work/disc" >/dev/null
mkdir -p "$work/out"
"$work/root/usr/bin/veltracdrip-cli" --image "$work/disc.cue" --out "$work/out" --format wav >/dev/null || fail "packaged ripper failed"
[ "$(stat -c %s "$work/out/Track 02.wav")" = $((44 + 75 * 2352)) ] || fail "packaged rip has the wrong size"
cmp -s <(tail -c $((75 * 2352)) "$work/out/Track 02.wav") <(tail -c $((75 * 2352)) "$work/disc.bin") || fail "packaged rip differs from the disc"
echo "install layout and package OK: $(basename "$deb")"
