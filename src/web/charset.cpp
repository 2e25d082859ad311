#include "web/charset.h"

#include <QList>
#include <QStringDecoder>
#include <algorithm>

#include "web/meta_charset.h"

namespace web {
namespace {

// Labels that browsers read as windows-1252, whose decoder also maps 0x80..0x9F.
QByteArray normalisedLabel(QByteArray label) {
  label = label.trimmed().toLower();
  if (label.size() >= 2 && (label.startsWith('"') || label.startsWith('\'')))
    label = label.mid(1, label.size() - 2);
  label = label.trimmed();
  static const char* const kWestern[] = {"iso-8859-1", "iso8859-1", "latin1",     "l1",
                                         "us-ascii",   "ascii",     "iso_8859-1", "cp1252",
                                         "x-cp1252",   "cp819",     "ibm819"};
  for (const char* western : kWestern) {
    if (label == western) return "windows-1252";
  }
  return label;
}

QByteArray charsetFromMeta(QByteArrayView head) {
  const QByteArray found = metaCharset(head, [](const QByteArray& label) {
    return label == "x-user-defined" ||
           QStringDecoder(normalisedLabel(label).constData()).isValid();
  });
  // A page that says UTF-16 in ASCII-compatible bytes is not UTF-16.
  if (normalisedLabel(found).startsWith("utf-16")) return "utf-8";
  if (found == "x-user-defined") return "windows-1252";
  return found;
}

bool isValidUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = decoder.decode(bytes);  // the decode runs on conversion
  return !decoder.hasError();
}

}  // namespace

QByteArray charsetParameter(const QByteArray& contentType) {
  for (const QByteArray& part : contentType.split(';')) {
    const QByteArray trimmed = part.trimmed();
    if (trimmed.toLower().startsWith("charset=")) return normalisedLabel(trimmed.mid(8));
  }
  return {};
}

QByteArray decodeToUtf8(const QByteArray& body, const QByteArray& contentType, bool isHtml) {
  QByteArray label;
  qsizetype skip = 0;
  if (body.startsWith("\xEF\xBB\xBF")) {
    label = "utf-8";
    skip = 3;
  } else if (body.startsWith("\xFF\xFE")) {
    label = "utf-16le";
    skip = 2;
  } else if (body.startsWith("\xFE\xFF")) {
    label = "utf-16be";
    skip = 2;
  }
  if (label.isEmpty()) label = charsetParameter(contentType);
  if (label.isEmpty() && isHtml)
    label = normalisedLabel(
        charsetFromMeta(QByteArrayView(body).first(std::min<qsizetype>(body.size(), 1024))));
  QStringDecoder decoder(label.isEmpty() ? "utf-8" : label.constData());
  if (label.isEmpty() || !decoder.isValid()) {
    if (isValidUtf8(body)) return body.mid(skip);
    decoder = QStringDecoder("windows-1252");
  }
  if (label == "utf-8" || label == "utf8")
    return body.mid(skip);  // gumbo replaces bad bytes itself
  return QString(decoder(QByteArrayView(body).sliced(skip))).toUtf8();
}

}  // namespace web
