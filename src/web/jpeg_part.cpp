#include "web/jpeg_part.h"

#include <jpeglib.h>
// jpeglib.h first: jerror.h needs its types
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace web {
namespace {

// libjpeg reports errors by longjmp: every step that may fail runs in a function of its own
// whose locals need no destructor, so a jump leaks nothing.
class JpegReader {
 public:
  explicit JpegReader(const QByteArray& bytes) {
    info_.err = jpeg_std_error(&errors_.manager);
    errors_.manager.error_exit = onError;
    errors_.manager.output_message = [](j_common_ptr) {};  // warnings: not ours to log
    progress_.progress_monitor = onProgress;
    jpeg_create_decompress(&info_);
    info_.progress = &progress_;
    jpeg_mem_src(&info_, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
  }
  ~JpegReader() { jpeg_destroy_decompress(&info_); }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  enum class Header { Broken, Unsupported, Ready };

  Header readHeader() {
    if (setjmp(errors_.jump)) return Header::Broken;
    if (jpeg_read_header(&info_, TRUE) != JPEG_HEADER_OK) return Header::Broken;
    if (info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK)
      return Header::Unsupported;
    info_.out_color_space = JCS_RGB;
    info_.mem->max_memory_to_use = kMaxJpegMemory;
    return Header::Ready;
  }

  QRect rect() const { return QRect(0, 0, int(info_.image_width), int(info_.image_height)); }

  // Starts decoding with the columns of [left, left + width) at least; the library widens
  // them to whole blocks and says where the rows it gives begin.
  bool start(int left, int width) {
    firstColumn_ = left;
    cropWidth_ = width;
    return startCropped();
  }
  int firstColumn() const { return firstColumn_; }
  std::size_t rowBytes() const { return rowBytes_; }

  // Skips to row `from` (rows the caller throws away may come first), then copies part's
  // columns of rows part.top() to part.bottom() into out.
  bool readRows(int from, const QRect& part, unsigned char* row, QImage& out) {
    job_ = {from, part, row, &out};
    return readJob();
  }

  int blockWidth() const { return info_.max_h_samp_factor * DCTSIZE; }
  int blockHeight() const { return info_.max_v_samp_factor * DCTSIZE; }

 private:
  struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
  };
  [[noreturn]] static void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Errors*>(info->err)->jump, 1);
  }
  static void onProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) {
      info->err->msg_code = JERR_BAD_PROGRESSION;
      info->err->error_exit(info);
    }
  }

  bool startCropped() {
    if (setjmp(errors_.jump)) return false;
    jpeg_start_decompress(&info_);
    JDIMENSION x = JDIMENSION(firstColumn_), w = JDIMENSION(cropWidth_);
    if (w < info_.output_width) jpeg_crop_scanline(&info_, &x, &w);
    firstColumn_ = int(x);
    rowBytes_ = std::size_t(info_.output_width) * 3;
    return true;
  }

  bool readJob() {
    if (setjmp(errors_.jump)) return false;
    if (job_.from > 0) jpeg_skip_scanlines(&info_, JDIMENSION(job_.from));
    const QRect& part = job_.part;
    const std::size_t offset = std::size_t(part.x() - firstColumn_) * 3;
    while (int(info_.output_scanline) <= part.bottom()) {
      const int y = int(info_.output_scanline);
      JSAMPROW rows[1] = {job_.row};
      if (jpeg_read_scanlines(&info_, rows, 1) != 1) return false;
      if (y >= part.top())
        std::memcpy(job_.out->scanLine(y - part.top()), job_.row + offset,
                    std::size_t(part.width()) * 3);
    }
    return true;
  }

  struct Job {
    int from = 0;
    QRect part;
    unsigned char* row = nullptr;
    QImage* out = nullptr;
  };

  jpeg_decompress_struct info_{};
  Job job_;
  int cropWidth_ = 0;
  Errors errors_{};
  jpeg_progress_mgr progress_{};
  int firstColumn_ = 0;
  std::size_t rowBytes_ = 0;
};

}  // namespace

std::optional<QImage> decodeJpegPart(const QByteArray& bytes, const QRect& part) {
  JpegReader reader(bytes);
  switch (reader.readHeader()) {
    case JpegReader::Header::Broken:
      return QImage();
    case JpegReader::Header::Unsupported:
      return std::nullopt;
    case JpegReader::Header::Ready:
      break;
  }
  const QRect whole = reader.rect();
  if (!whole.contains(part)) return QImage();
  // A block of margin on every side: the upsampling of the rows and columns kept never sees
  // an edge the full picture does not have.
  const int left = std::max(0, part.x() - reader.blockWidth());
  const int right = std::min(whole.right(), part.right() + reader.blockWidth());
  if (!reader.start(left, right - left + 1)) return QImage();
  QImage out(part.size(), QImage::Format_RGB888);
  if (out.isNull()) return QImage();
  std::vector<unsigned char> row(reader.rowBytes());
  const int from = std::max(0, part.y() - 2 * reader.blockHeight());
  if (!reader.readRows(from, part, row.data(), out)) return QImage();
  return out;
}

}  // namespace web
