// Turns a page's bytes into UTF-8: a byte-order mark first, then the charset named by the
// Content-Type header, then a meta element in the first kilobyte, else UTF-8 when the bytes
// are valid UTF-8 and windows-1252 otherwise.
#pragma once

#include <QByteArray>

namespace web {

// The charset parameter of a Content-Type value ("" when absent).
QByteArray charsetParameter(const QByteArray& contentType);

QByteArray decodeToUtf8(const QByteArray& body, const QByteArray& contentType, bool isHtml);

}  // namespace web
