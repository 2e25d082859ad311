#include "web/png_part.h"

#include <png.h>

#include <QtEndian>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace web {
namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;

// libpng reports errors by longjmp: every step that may fail runs in a function of its own
// whose locals need no destructor, so a jump leaks nothing.
class PngReader {
 public:
  explicit PngReader(const QByteArray& bytes) : bytes_(bytes) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngReader() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  enum class Header { Broken, Unsupported, Ready };

  Header readHeader() {
    if (!info_) return Header::Broken;
    if (setjmp(png_jmpbuf(png_))) return Header::Broken;
    png_set_read_fn(png_, this, readBytes);
    // A chunk before the rows may claim gigabytes; none we need is larger than this.
    png_set_chunk_malloc_max(png_, kMaxChunkBytes);
    // zlib's running checksum of the inflated rows is checked only at the stream's end, which a
    // part above the bottom row never reaches: a quarter of a decode spent for nothing. Each
    // chunk's own checksum, over the compressed bytes, is still checked.
    png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png_, info_);
    if (png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE ||
        png_get_bit_depth(png_, info_) > 8)
      return Header::Unsupported;
    const int type = png_get_color_type(png_, info_);
    hasAlpha_ = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png_, info_, PNG_INFO_tRNS);
    png_set_expand(png_);  // palette and low depths to 8-bit samples, tRNS to alpha
    png_set_gray_to_rgb(png_);
    png_read_update_info(png_, info_);
    width_ = int(png_get_image_width(png_, info_));
    height_ = int(png_get_image_height(png_, info_));
    rowBytes_ = png_get_rowbytes(png_, info_);
    return Header::Ready;
  }

  bool hasAlpha() const { return hasAlpha_; }
  QRect rect() const { return QRect(0, 0, width_, height_); }
  std::size_t rowBytes() const { return rowBytes_; }

  // Reads rows 0 to part.bottom(), keeping part's columns of the rows from part.top().
  bool readRows(const QRect& part, unsigned char* row, QImage& out) {
    job_ = {part, row, &out};
    return readJob();
  }

 private:
  bool readJob() {
    if (setjmp(png_jmpbuf(png_))) return false;
    const int channels = hasAlpha_ ? 4 : 3;
    const QRect& part = job_.part;
    for (int y = 0; y <= part.bottom(); ++y) {
      png_read_row(png_, job_.row, nullptr);
      if (y >= part.top())
        std::memcpy(job_.out->scanLine(y - part.top()), job_.row + std::size_t(part.x()) * channels,
                    std::size_t(part.width()) * channels);
    }
    return true;
  }

  [[noreturn]] static void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void onWarning(png_structp, png_const_charp) {}  // ancillary trouble: not ours to log
  static void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* self = static_cast<PngReader*>(png_get_io_ptr(png));
    const auto left = std::size_t(self->bytes_.size()) - self->offset_;
    if (length > left) png_error(png, "truncated");
    std::memcpy(out, self->bytes_.constData() + self->offset_, length);
    self->offset_ += length;
  }

  struct Job {
    QRect part;
    unsigned char* row = nullptr;
    QImage* out = nullptr;
  };

  const QByteArray& bytes_;
  Job job_;
  std::size_t offset_ = 0;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  bool hasAlpha_ = false;
  int width_ = 0;
  int height_ = 0;
  std::size_t rowBytes_ = 0;
};

}  // namespace

std::optional<QImage> decodePngPart(const QByteArray& bytes, const QRect& part) {
  PngReader reader(bytes);
  switch (reader.readHeader()) {
    case PngReader::Header::Broken:
      return QImage();
    case PngReader::Header::Unsupported:
      return std::nullopt;
    case PngReader::Header::Ready:
      break;
  }
  if (!reader.rect().contains(part)) return QImage();
  QImage out(part.size(), reader.hasAlpha() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  if (out.isNull()) return QImage();
  std::vector<unsigned char> row(reader.rowBytes());
  if (!reader.readRows(part, row.data(), out)) return QImage();
  return out;
}

namespace {

// Walks the chunks after the signature; with headerOnly, only those before the first rows.
bool chunksWithinLimit(const QByteArray& bytes, bool headerOnly) {
  static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (!bytes.startsWith(QByteArrayView(kSignature, 8))) return true;
  // Each chunk: length (4, big-endian), type (4), data, checksum (4).
  for (qsizetype at = 8; at + 8 <= bytes.size();) {
    const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
    const bool rows = QByteArrayView(bytes.constData() + at + 4, 4) == "IDAT";
    if (rows && headerOnly) return true;
    if (!rows && length > kMaxChunkBytes) return false;
    at += 12 + qsizetype(length);
  }
  return true;
}

}  // namespace

bool pngChunksWithinLimit(const QByteArray& bytes) { return chunksWithinLimit(bytes, false); }

bool pngHeaderWithinLimit(const QByteArray& bytes) { return chunksWithinLimit(bytes, true); }

}  // namespace web
