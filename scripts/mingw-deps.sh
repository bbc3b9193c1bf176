#!/usr/bin/env bash
# Builds the static giflib and libjpeg-turbo that the MinGW cross build links against, from
# Debian's source packages, into .deps/mingw (include/ and lib/). Runs once per machine: when the
# stamp says the current recipe is built, it exits at once without output. Progress is one or
# two lines; the full log is .deps/mingw-deps.log and is shown only when something fails.
set -euo pipefail

# Bump when the way the libraries are built changes, so that existing .deps trees are rebuilt.
recipe=1

root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/.deps
out=$deps/mingw
stamp=$out/.stamp

# Fast path without spawning anything: the `read` builtin and file tests only.
if [[ -f $stamp && -f $out/lib/libjpeg.a && -f $out/lib/libgif.a ]]; then
  read -r first <"$stamp" || true
  [[ ${first:-} == "recipe $recipe" ]] && exit 0
fi

mkdir -p "$deps"
# Two test runs started together must not build into the same folders.
exec 9>"$deps/.mingw-deps.lock"
flock 9
if [[ -f $stamp && -f $out/lib/libjpeg.a && -f $out/lib/libgif.a ]]; then
  read -r first <"$stamp" || true
  [[ ${first:-} == "recipe $recipe" ]] && exit 0
fi

host=x86_64-w64-mingw32
cc=$host-gcc-posix
ar=$host-ar
ranlib=$host-ranlib
log=$deps/mingw-deps.log
src=$deps/src
stage=$deps/mingw.new
prefix=$root/build/wine-deps-check
: >"$log"

cleanup_wine() {
  if [[ -d $prefix ]]; then
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
}

fail() {
  echo "mingw-deps: FAILED: $1" >&2
  echo "mingw-deps: last lines of $log:" >&2
  tail -n 60 "$log" >&2
  cleanup_wine
  rm -rf "$stage"
  exit 1
}

step() { echo "--- $*" >>"$log"; }
run() { "$@" >>"$log" 2>&1; }

for tool in "$cc" "$ar" "$ranlib" cmake ninja nasm wine apt-get dpkg-source; do
  command -v "$tool" >/dev/null ||
    fail "'$tool' is missing; run scripts/bootstrap.sh (needs dpkg-dev, nasm, wine, MinGW-w64)"
done

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

start=$SECONDS
echo "mingw-deps: building giflib and libjpeg-turbo for $host (once; log in .deps/mingw-deps.log)"

# --- source packages -----------------------------------------------------------------------
# apt-get source needs deb-src entries; Debian 12 keeps them in deb822 form, older set-ups in
# sources.list. The package lists are refreshed only when the source index is missing.
if ! apt-cache showsrc giflib 2>/dev/null | grep -q '^Package:'; then
  step "adding deb-src entries"
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    if ! grep -Eq '^Types:.*deb-src' /etc/apt/sources.list.d/debian.sources; then
      run $sudo sed -i -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' \
        /etc/apt/sources.list.d/debian.sources || fail "could not add deb-src to debian.sources"
    fi
  elif [[ -f /etc/apt/sources.list ]]; then
    if ! grep -Eq '^deb-src[[:space:]]' /etc/apt/sources.list; then
      sed -n 's/^deb\([[:space:]]\)/deb-src\1/p' /etc/apt/sources.list |
        $sudo tee -a /etc/apt/sources.list >>"$log" || fail "could not add deb-src to sources.list"
    fi
  else
    fail "no apt sources file found to add deb-src entries to"
  fi
  step "apt-get update"
  run $sudo apt-get update -qq || fail "apt-get update failed"
  apt-cache showsrc giflib 2>/dev/null | grep -q '^Package:' ||
    fail "still no source package for giflib after adding deb-src entries"
fi

rm -rf "$src" "$stage"
mkdir -p "$src" "$stage/include" "$stage/lib"
step "apt-get source giflib libjpeg-turbo"
(cd "$src" && run apt-get source -qq giflib libjpeg-turbo) || fail "apt-get source failed"

dsc_version() { sed -n 's/^Version: //p' "$1" | head -n 1; }
shopt -s nullglob
gif_dsc=("$src"/giflib_*.dsc) jpeg_dsc=("$src"/libjpeg-turbo_*.dsc)
shopt -u nullglob
gif_dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'giflib-*' | head -n 1)
jpeg_dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[[ ${#gif_dsc[@]} -gt 0 && -n $gif_dir ]] || fail "giflib source was not unpacked"
[[ ${#jpeg_dsc[@]} -gt 0 && -n $jpeg_dir ]] || fail "libjpeg-turbo source was not unpacked"
gif_version=$(dsc_version "${gif_dsc[0]}")
jpeg_version=$(dsc_version "${jpeg_dsc[0]}")

# --- giflib --------------------------------------------------------------------------------
# Its Makefile only knows the host compiler, so the library's sources are compiled here with the
# cross compiler (utilities and the shared library are not needed).
step "giflib $gif_version"
gif_objs=()
for file in dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c \
            openbsd-reallocarray.c quantize.c; do
  [[ -f $gif_dir/$file ]] || continue
  obj=$src/gif-${file%.c}.o
  run "$cc" -std=gnu99 -O2 -Wall -c "$gif_dir/$file" -I"$gif_dir" -o "$obj" ||
    fail "compiling giflib $file"
  gif_objs+=("$obj")
done
[[ ${#gif_objs[@]} -ge 7 ]] || fail "giflib sources not found in $gif_dir"
run "$ar" rc "$stage/lib/libgif.a" "${gif_objs[@]}" || fail "archiving libgif.a"
run "$ranlib" "$stage/lib/libgif.a" || fail "indexing libgif.a"
cp "$gif_dir/gif_lib.h" "$stage/include/"

# --- libjpeg-turbo -------------------------------------------------------------------------
# With CMAKE_SYSTEM_NAME Windows its CMake tells NASM to emit win64 objects. REQUIRE_SIMD turns
# a silent non-SIMD build into an error, so the fallback below is a visible, logged decision.
jpeg_build() {
  local dir=$src/jpeg-build-$1; shift
  step "libjpeg-turbo $jpeg_version configure $*"
  # The install prefix is never used, but its Windows default (c:/...) breaks configuring.
  run cmake -S "$jpeg_dir" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$stage" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF "$@" || return 1
  step "libjpeg-turbo build"
  run cmake --build "$dir" --target jpeg-static || return 1
  jpeg_build_dir=$dir
}
simd=simd
if ! jpeg_build simd -DWITH_SIMD=ON -DREQUIRE_SIMD=ON; then
  step "SIMD build failed, falling back to -DWITH_SIMD=OFF"
  simd=nosimd
  jpeg_build nosimd -DWITH_SIMD=OFF || fail "building libjpeg-turbo"
fi
[[ -f $jpeg_build_dir/libjpeg.a ]] || fail "libjpeg-turbo built no libjpeg.a"
cp "$jpeg_build_dir/libjpeg.a" "$stage/lib/"
cp "$jpeg_build_dir/jconfig.h" "$jpeg_dir/jpeglib.h" "$jpeg_dir/jmorecfg.h" "$jpeg_dir/jerror.h" \
  "$stage/include/"
grep -q JCS_EXT_BGRA "$stage/include/jpeglib.h" || fail "jpeglib.h lacks JCS_EXT_BGRA"

# --- check: a static Windows program using both libraries runs under Wine ------------------
# Round-trips a small picture through each codec from memory, so the SIMD code runs too.
step "check program"
cat >"$src/check.c" <<'EOF'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <jpeglib.h>
#include <gif_lib.h>

enum { W = 32, H = 24 };

static int check_jpeg(void) {
  unsigned char in[W * H * 4], out[W * H * 4];
  for (int i = 0; i < W * H; ++i) {
    in[4 * i] = 40; in[4 * i + 1] = 120; in[4 * i + 2] = 200; in[4 * i + 3] = 255;
  }
  struct jpeg_compress_struct c;
  struct jpeg_error_mgr err;
  unsigned char *buf = NULL;
  unsigned long size = 0;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = W; c.image_height = H; c.input_components = 4; c.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < H) {
    JSAMPROW row = in + c.next_scanline * W * 4;
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);

  struct jpeg_decompress_struct d;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, buf, size);
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&d);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out + d.output_scanline * W * 4;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  free(buf);
  for (int i = 0; i < W * H * 4; ++i)
    if (abs(in[i] - out[i]) > 6) { printf("jpeg: byte %d is %d, expected %d\n", i, out[i], in[i]); return 1; }
  return 0;
}

static unsigned char gif_buf[4096];
static int gif_len, gif_pos;
static int gif_write(GifFileType *f, const GifByteType *p, int n) {
  (void)f;
  if (gif_len + n > (int)sizeof gif_buf) return 0;
  memcpy(gif_buf + gif_len, p, n); gif_len += n; return n;
}
static int gif_read(GifFileType *f, GifByteType *p, int n) {
  (void)f;
  if (n > gif_len - gif_pos) n = gif_len - gif_pos;
  memcpy(p, gif_buf + gif_pos, n); gif_pos += n; return n;
}

static int check_gif(void) {
  int error = 0;
  GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject *map = GifMakeMapObject(4, colors);
  GifFileType *e = EGifOpen(NULL, gif_write, &error);
  if (!e || !map) { printf("gif: EGifOpen failed (%d)\n", error); return 1; }
  EGifSetGifVersion(e, true);
  if (EGifPutScreenDesc(e, W, H, 2, 0, map) == GIF_ERROR ||
      EGifPutImageDesc(e, 0, 0, W, H, false, NULL) == GIF_ERROR) { printf("gif: header\n"); return 1; }
  for (int y = 0; y < H; ++y) {
    GifPixelType line[W];
    for (int x = 0; x < W; ++x) line[x] = (GifPixelType)((x + y) & 3);
    if (EGifPutLine(e, line, W) == GIF_ERROR) { printf("gif: line\n"); return 1; }
  }
  if (EGifCloseFile(e, &error) == GIF_ERROR) { printf("gif: close (%d)\n", error); return 1; }
  GifFreeMapObject(map);

  GifFileType *d = DGifOpen(NULL, gif_read, &error);
  if (!d || DGifSlurp(d) == GIF_ERROR || d->ImageCount != 1) { printf("gif: decode (%d)\n", error); return 1; }
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (d->SavedImages[0].RasterBits[y * W + x] != ((x + y) & 3)) { printf("gif: pixel %d,%d\n", x, y); return 1; }
  DGifCloseFile(d, &error);
  printf("gif %d.%d.%d ok\n", GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE);
  return 0;
}

int main(void) {
  if (check_jpeg() || check_gif()) return 1;
  printf("jpeg %d ok\n", LIBJPEG_TURBO_VERSION_NUMBER);
  return 0;
}
EOF
run "$cc" -std=gnu99 -O2 -Wall -static "$src/check.c" -I"$stage/include" -L"$stage/lib" \
  -ljpeg -lgif -o "$src/check.exe" || fail "the check program does not compile or link"

step "running the check program under Wine"
cleanup_wine
mkdir -p "$prefix"
# timeout: a crashing program could otherwise wait on Wine's crash dialog.
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  timeout 300 wine "$src/check.exe" >>"$log" 2>&1 || fail "the check program failed under Wine"
cleanup_wine

# --- publish -------------------------------------------------------------------------------
# The stamp is written last and the folder swapped in whole, so a broken run never looks done.
printf 'recipe %s\ngiflib %s\nlibjpeg-turbo %s %s\n' "$recipe" "$gif_version" "$jpeg_version" \
  "$simd" >"$stage/.stamp"
rm -rf "$out"
mv "$stage" "$out"
rm -rf "$src"
echo "mingw-deps: giflib $gif_version, libjpeg-turbo $jpeg_version ($simd) ready in $((SECONDS - start)) s"
