// Bounds how deeply a page can nest before gumbo sees it. gumbo has no depth limit and its
// scope checks walk the whole stack of open elements, so thousands of nested blocks make a
// parse quadratic. This pass only tracks start and end tags the way the tree builder nests
// them (void, self-closing-by-parser and raw-text elements do not nest) and drops the start
// tags that would open an element deeper than the limit; their text is kept.
#pragma once

#include <QByteArray>

#include "web/engine_limits.h"

namespace web {

// The markup with over-deep start tags removed (the input itself when none are).
QByteArray limitNesting(const QByteArray& html, int maxDepth = kMaxNestingDepth,
                        int* dropped = nullptr);

}  // namespace web
