// The charset a page names in a meta element, found the way browsers find it before they
// parse: a byte scan of the page's first bytes that skips comments and other tags' attributes
// and reads only what a meta element says. No tree is built and nothing is parsed, so the
// program runs it on strangers' bytes itself.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace web {

// The first label named by <meta charset> or by <meta http-equiv="content-type" content=...>
// for which known() holds, lower case; "" when none is named before the end of head.
QByteArray metaCharset(QByteArrayView head, const std::function<bool(const QByteArray&)>& known);

}  // namespace web
