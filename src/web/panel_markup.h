// The markup a display panel lays out. Qt's rich-text layout is far from linear (each table
// nested in another roughly doubles it, so 30 of them never finish), and it runs on the UI
// thread. A panel therefore never sees the page's own markup: it gets this rewrite of the
// parsed tree, made where the page is parsed.
//
// Rules:
// - Only what the panel draws is kept: text, images, links, the formatting and block tags Qt
//   understands, tables and lists. Scripts, styles, forms, frames, foreign (SVG, MathML) and
//   hidden subtrees go; other tags are unwrapped, their content kept.
// - Attributes come from a fixed list, each value checked and numbers clamped; style sheets,
//   font faces and cell spans (Qt's table layout grows with the span grid) never reach the
//   panel.
// - Tables nested deeper than tableDepth, and lists or quotes deeper than indentDepth, are
//   flattened into their content; any element deeper than depth is unwrapped.
// - After `elements` elements, `cells` table cells, `images` pictures, textBytes of text or
//   `bytes` of markup, the rest of the page is cut. Every element opened is closed, so the result
//   is always well formed. Long words get invisible break opportunities.
#pragma once

#include <gumbo.h>

#include <string>

namespace web {

struct PanelCaps {
  int tableDepth = 3;
  int indentDepth = 8;
  int depth = 32;
  int elements = 1500;
  int cells = 300;
  int images = 100;  // a row of pictures lays out in more than linear time
  int textBytes = 32 * 1024;
  int bytes = 256 * 1024;
};

// root: the document's <html> element (nullptr gives an empty document).
std::string panelMarkup(const GumboNode* root, const PanelCaps& caps = {});

}  // namespace web
