// JPEG pictures through the libjpeg API (libjpeg-turbo here and in the Windows build), and the
// size rule that every decoder applies before it allocates.
//
// libjpeg reports fatal errors through a callback that must not return. It leaves by longjmp to
// the setjmp in the function that drives the codec; every object with a destructor is declared
// before that setjmp (or in the caller), so the jump skips none, and the message becomes an
// EPictureError only after the jump has landed.
#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

// jpeglib.h uses size_t and FILE without including their headers.
#include <jpeglib.h>

namespace lumora {

void CheckPictureSize(int64_t width, int64_t height, const char* what) {
  const std::string subject = std::string("The ") + what;
  if (width < 0 || height < 0) {
    throw EPictureError(subject + " claims " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels, which is not a picture size");
  }
  if (width > kMaxPictureSide)
    throw EPictureError(LimitMessage(subject + " is", width, "pixels wide", kMaxPictureSide));
  if (height > kMaxPictureSide)
    throw EPictureError(LimitMessage(subject + " is", height, "pixels high", kMaxPictureSide));
  if (width * height > kMaxPicturePixels)
    throw EPictureError(LimitMessage(subject + " holds", width * height, "pixels", kMaxPicturePixels));
}

namespace {

struct TJpegErrors {
  jpeg_error_mgr Manager;  // first member: libjpeg hands back a pointer to it
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->Message);
  std::longjmp(errors->Jump, 1);
}

// Warnings (corrupt data, a premature end) leave a picture worth showing: libjpeg fills what is
// missing, so they are neither printed nor allowed to stop the decoding.
void OnJpegMessage(j_common_ptr, int) {}

void InstallErrors(TJpegErrors& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = OnJpegError;
  errors.Manager.emit_message = OnJpegMessage;
  errors.Message[0] = '\0';
}

void OnJpegProgress(j_common_ptr info) {
  if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
    // Left by the same jump as libjpeg's own errors; the caller's guard then releases it all.
    std::snprintf(reinterpret_cast<TJpegErrors*>(info->err)->Message, JMSG_LENGTH_MAX,
                  "the picture has %d scans; at most %d are allowed",
                  reinterpret_cast<j_decompress_ptr>(info)->input_scan_number, kMaxJpegScans);
    std::longjmp(reinterpret_cast<TJpegErrors*>(info->err)->Jump, 1);
  }
}

// Owns a decompressor from before the setjmp until the function that drives it has returned or
// thrown; jpeg_destroy is safe on a structure that was never fully created.
struct TJpegDecompressor {
  jpeg_decompress_struct Info{};
  TJpegErrors Errors{};
  jpeg_progress_mgr Progress{};
  ~TJpegDecompressor() { jpeg_destroy_decompress(&Info); }
};

struct TJpegCompressor {
  jpeg_compress_struct Info{};
  TJpegErrors Errors{};
  unsigned char* Buffer = nullptr;  // grown by libjpeg with malloc
  unsigned long Size = 0;
  ~TJpegCompressor() {
    jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
};

// CMYK rows into the bitmap's format. Adobe's encoders store the inks inverted (255 is no ink);
// libjpeg flags their marker, and files without it carry the inks as they are.
void StoreCmykRow(const uint8_t* cmyk, int32_t width, bool inverted, uint8_t* target, int bytesPerPixel) {
  for (int32_t x = 0; x < width; ++x, cmyk += 4, target += bytesPerPixel) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    target[0] = static_cast<uint8_t>((y * k + 127) / 255);
    target[1] = static_cast<uint8_t>((m * k + 127) / 255);
    target[2] = static_cast<uint8_t>((c * k + 127) / 255);
    if (bytesPerPixel == 4) target[3] = 255;
  }
}

// The part of the decoding that libjpeg may leave by its jump. Everything it changes lives in
// the caller, reached through references, so nothing here is stale after a jump.
void ReadJpeg(TJpegDecompressor& jpeg, const uint8_t* data, size_t size, TBitmap& decoded, std::vector<uint8_t>& row) {
  jpeg_decompress_struct& info = jpeg.Info;
  InstallErrors(jpeg.Errors);
  info.err = &jpeg.Errors.Manager;
  if (setjmp(jpeg.Errors.Jump)) throw EPictureError(std::string("JPEG: ") + jpeg.Errors.Message);

  jpeg_create_decompress(&info);
  jpeg.Progress.progress_monitor = OnJpegProgress;
  info.progress = &jpeg.Progress;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  CheckPictureSize(info.image_width, info.image_height, "JPEG picture");

  const int bytesPerPixel = decoded.BytesPerPixel();
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  bool direct = false;  // libjpeg writes straight into the bitmap's rows
  if (cmyk) {
    info.out_color_space = JCS_CMYK;
  } else {
#ifdef JCS_ALPHA_EXTENSIONS
    info.out_color_space = bytesPerPixel == 4 ? JCS_EXT_BGRA : JCS_EXT_BGR;
    direct = true;
#else
    info.out_color_space = JCS_RGB;
#endif
  }
  jpeg_start_decompress(&info);
  decoded.SetSize(static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height));
  if (!direct) row.resize(static_cast<size_t>(info.output_width) * static_cast<size_t>(info.output_components));

  while (info.output_scanline < info.output_height) {
    uint8_t* target = decoded.ScanLine(static_cast<int32_t>(info.output_scanline));
    JSAMPROW rows[1] = {direct ? target : row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    if (direct) continue;
    if (cmyk) {
      StoreCmykRow(row.data(), decoded.Width(), info.saw_Adobe_marker, target, bytesPerPixel);
    } else {
      const uint8_t* rgb = row.data();
      for (int32_t x = 0; x < decoded.Width(); ++x, rgb += 3, target += bytesPerPixel) {
        target[0] = rgb[2];
        target[1] = rgb[1];
        target[2] = rgb[0];
        if (bytesPerPixel == 4) target[3] = 255;
      }
    }
  }
  jpeg_finish_decompress(&info);
}

}  // namespace

void DecodeJpeg(const uint8_t* data, size_t size, TBitmap& bitmap) {
  if (data == nullptr || size == 0) throw EPictureError("JPEG: no data");
  if (size > ULONG_MAX) throw EPictureError("JPEG: too many bytes");
  // The picture is decoded beside the target so that a failure leaves the target as it was.
  TBitmap decoded;
  decoded.SetPixelFormat(bitmap.PixelFormat());
  decoded.Transparent = bitmap.Transparent;
  decoded.TransparentColor = bitmap.TransparentColor;
  std::vector<uint8_t> row;
  TJpegDecompressor jpeg;
  ReadJpeg(jpeg, data, size, decoded, row);
  bitmap = std::move(decoded);
}

std::string EncodeJpeg(const TBitmap32& surface, int quality) {
  if (surface.Empty()) throw EPictureError("JPEG: the picture is empty");
  const int width = surface.Width();
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  TJpegCompressor jpeg;
  jpeg_compress_struct& info = jpeg.Info;
  InstallErrors(jpeg.Errors);
  info.err = &jpeg.Errors.Manager;
  if (setjmp(jpeg.Errors.Jump)) throw EPictureError(std::string("JPEG: ") + jpeg.Errors.Message);

  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &jpeg.Buffer, &jpeg.Size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(surface.Height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const TColor32* pixels = surface.ScanLine(static_cast<int32_t>(info.next_scanline));
    for (int x = 0; x < width; ++x) {
      row[3 * x] = RedOf(pixels[x]);
      row[3 * x + 1] = GreenOf(pixels[x]);
      row[3 * x + 2] = BlueOf(pixels[x]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  return std::string(reinterpret_cast<const char*>(jpeg.Buffer), jpeg.Size);
}

}  // namespace lumora
