#include "web/document_model.h"

#include <cstring>
#include <functional>

#include "web/gumbo_tree.h"
#include "web/nesting_guard.h"
#include "web/panel_markup.h"

namespace web {
namespace {

bool isVoid(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
      return true;
    default:
      return false;
  }
}

// Children written without escaping when serialising.
bool isRawTextParent(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
      return true;
    default:
      return false;
  }
}

// Subtrees that render no text.
bool isHiddenFromText(const GumboNode* node) {
  switch (node->v.element.tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TITLE:
      return true;
    default:
      return attribute(node, "hidden") != nullptr;
  }
}

bool isBlock(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_BODY:
      return true;
    default:
      return false;
  }
}

bool keepsWhitespace(GumboTag tag) {
  return tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_LISTING || tag == GUMBO_TAG_PLAINTEXT ||
         tag == GUMBO_TAG_XMP;
}

void appendEscaped(std::string& out, const char* text, bool inAttribute) {
  for (const char* p = text; *p; ++p) {
    switch (*p) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        if (inAttribute)
          out += "&quot;";
        else
          out += '"';
        break;
      case '<':
        if (inAttribute)
          out += '<';
        else
          out += "&lt;";
        break;
      case '>':
        if (inAttribute)
          out += '>';
        else
          out += "&gt;";
        break;
      case '\xC2':
        if (p[1] == '\xA0') {
          out += "&nbsp;";
          ++p;
          break;
        }
        out += *p;
        break;
      default:
        out += *p;
    }
  }
}

// Rendered text: runs of white space collapse, blocks are separated by line breaks (CR LF),
// paragraphs by two, <br> is a hard break and table cells are separated by tabs.
class TextRenderer {
 public:
  void text(const char* s, bool preformatted) {
    for (const char* p = s; *p; ++p) {
      const char c = *p;
      if (preformatted) {
        if (c == '\r') continue;
        if (c == '\n') {
          hardBreak();
          continue;
        }
        flushPending();
        out_ += c;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
        pendingSpace_ = true;
        continue;
      }
      if (c == '\xC2' && p[1] == '\xA0') {  // a non-breaking space renders as a space that stays
        flushPending();
        out_ += ' ';
        ++p;
        continue;
      }
      flushPending();
      out_ += c;
    }
  }
  void lineBreaks(int count) {
    if (count > pendingBreaks_) pendingBreaks_ = count;
    pendingSpace_ = false;
  }
  void hardBreak() {
    flushBreaks();
    pendingSpace_ = false;
    out_ += "\r\n";
  }
  void tab() {
    flushBreaks();
    pendingSpace_ = false;
    out_ += '\t';
  }
  std::string take() { return std::move(out_); }

 private:
  void flushBreaks() {
    if (pendingBreaks_ > 0 && !out_.empty()) {
      for (int i = 0; i < pendingBreaks_; ++i) out_ += "\r\n";
    }
    pendingBreaks_ = 0;
  }
  void flushPending() {
    if (pendingBreaks_ > 0 && !out_.empty()) {
      flushBreaks();
      pendingSpace_ = false;
    }
    pendingBreaks_ = 0;
    if (pendingSpace_ && !out_.empty() && out_.back() != '\n' && out_.back() != '\t') out_ += ' ';
    pendingSpace_ = false;
  }
  std::string out_;
  int pendingBreaks_ = 0;
  bool pendingSpace_ = false;
};

bool previousSiblingIsCell(const GumboNode* node) {
  const GumboNode* parent = node->parent;
  if (!parent || (parent->type != GUMBO_NODE_ELEMENT && parent->type != GUMBO_NODE_TEMPLATE))
    return false;
  for (size_t i = node->index_within_parent; i-- > 0;) {
    const auto* sibling = static_cast<const GumboNode*>(parent->v.element.children.data[i]);
    if (sibling->type != GUMBO_NODE_ELEMENT) continue;
    return sibling->v.element.tag == GUMBO_TAG_TD || sibling->v.element.tag == GUMBO_TAG_TH;
  }
  return false;
}

struct RawRefs {
  std::vector<std::pair<QString, ImageRef>> images;  // raw src + sizes
  std::vector<QString> links;
  std::vector<std::pair<QString, FrameRef>> frames;  // raw src + name
  QString base;
  bool hasBase = false;
};

void collect(GumboNode* node, RawRefs& refs) {
  switch (node->v.element.tag) {
    case GUMBO_TAG_IMG: {
      ImageRef image;
      image.attrWidth = dimensionAttribute(attribute(node, "width"));
      image.attrHeight = dimensionAttribute(attribute(node, "height"));
      const char* src = attribute(node, "src");
      refs.images.emplace_back(src ? QString::fromUtf8(src) : QString(), image);
      if (!src) refs.images.back().second.src.clear();
      break;
    }
    case GUMBO_TAG_A:
    case GUMBO_TAG_AREA:
      if (const char* href = attribute(node, "href")) refs.links.push_back(QString::fromUtf8(href));
      break;
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_IFRAME: {
      FrameRef frame;
      const char* name = attribute(node, "name");
      frame.name = name ? name : "";
      frame.inFrameset = node->v.element.tag == GUMBO_TAG_FRAME;
      const char* src = attribute(node, "src");
      refs.frames.emplace_back(src ? QString::fromUtf8(src) : QString(), frame);
      break;
    }
    case GUMBO_TAG_BASE:
      if (!refs.hasBase) {
        if (const char* href = attribute(node, "href")) {
          refs.base = QString::fromUtf8(href);
          refs.hasBase = true;
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace

int dimensionAttribute(const char* value) {
  if (!value) return -1;
  const char* p = value;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f') ++p;
  if (*p < '0' || *p > '9') return -1;
  long long n = 0;
  while (*p >= '0' && *p <= '9') {
    n = n * 10 + (*p - '0');
    if (n > 1000000000) return -1;
    ++p;
  }
  if (*p == '.') {  // fractions are dropped
    ++p;
    while (*p >= '0' && *p <= '9') ++p;
  }
  if (*p == '%' || *p == '*') return -1;  // relative to a layout we do not have
  return int(n);
}

std::string resolveAddress(const QUrl& base, const QString& raw) {
  const QString trimmed = raw.trimmed();
  // An empty reference names the base itself (QUrl calls an empty URL invalid).
  if (trimmed.isEmpty())
    return base.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded).toStdString();
  const QUrl relative(trimmed, QUrl::TolerantMode);
  if (!relative.isValid()) return trimmed.toStdString();
  return base.resolved(relative).toString(QUrl::FullyEncoded).toStdString();
}

QByteArray imageDocumentMarkup(const std::string& address) {
  std::string out = "<html><head></head><body><img src=\"";
  appendEscaped(out, address.c_str(), true);
  out += "\"></body></html>";
  return QByteArray::fromStdString(out);
}

QByteArray textDocumentMarkup(const QByteArray& utf8Text) {
  std::string out = "<html><head></head><body><pre>";
  if (utf8Text.startsWith('\n')) out += '\n';  // the parser drops a newline right after <pre>
  appendEscaped(out, utf8Text.constData(), false);
  out += "</pre></body></html>";
  return QByteArray::fromStdString(out);
}

std::shared_ptr<DocumentModel> buildDocument(const QByteArray& utf8, const QUrl& documentUrl) {
  auto model = std::make_shared<DocumentModel>();
  GumboTree tree(limitNesting(utf8));
  GumboNode* root = tree.root();
  if (!root) return model;

  RawRefs refs;
  TextRenderer text;
  std::string& html = model->innerHTML;
  html.reserve(size_t(utf8.size()) + 64);

  struct Frame {
    GumboNode* node;
    unsigned next;    // next child to visit
    bool emitted;     // its tags are written (not flattened)
    bool textHidden;  // it started a subtree without rendered text
  };
  std::vector<Frame> stack;
  int emittedDepth = 0, hiddenDepth = 0, preDepth = 0;
  stack.push_back({root, 0, false, false});

  while (!stack.empty()) {
    Frame& top = stack.back();
    GumboNode* node = top.node;
    const GumboVector& children = node->v.element.children;
    if (top.next < children.length) {
      auto* child = static_cast<GumboNode*>(children.data[top.next++]);
      const GumboTag parentTag = node->v.element.tag;
      switch (child->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
          if (child->type == GUMBO_NODE_CDATA) {
            html += "<![CDATA[";
            html += child->v.text.text;
            html += "]]>";
          } else if (isRawTextParent(parentTag)) {
            html += child->v.text.text;
          } else {
            appendEscaped(html, child->v.text.text, false);
          }
          if (hiddenDepth == 0) text.text(child->v.text.text, preDepth > 0);
          break;
        case GUMBO_NODE_COMMENT:
          html += "<!--";
          html += child->v.text.text;
          html += "-->";
          break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
          const GumboTag tag = child->v.element.tag;
          const bool emitted = emittedDepth < kMaxTreeDepth;
          if (emitted) {
            ++emittedDepth;
            collect(child, refs);
            const QByteArray name = tagName(child);
            html += '<';
            html.append(name.constData(), size_t(name.size()));
            const GumboVector& attributes = child->v.element.attributes;
            for (unsigned i = 0; i < attributes.length; ++i) {
              const auto* attr = static_cast<const GumboAttribute*>(attributes.data[i]);
              html += ' ';
              html += attr->name;
              html += "=\"";
              appendEscaped(html, attr->value, true);
              html += '"';
            }
            html += '>';
          }
          const bool hidden = isHiddenFromText(child);
          if (hidden) ++hiddenDepth;
          if (hiddenDepth == 0) {
            if (tag == GUMBO_TAG_BR)
              text.hardBreak();
            else if (tag == GUMBO_TAG_P)
              text.lineBreaks(2);
            else if (isBlock(tag))
              text.lineBreaks(1);
            else if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) && previousSiblingIsCell(child))
              text.tab();
          }
          if (keepsWhitespace(tag)) ++preDepth;
          if (emitted && isVoid(tag)) {
            if (hidden) --hiddenDepth;
            if (keepsWhitespace(tag)) --preDepth;
            --emittedDepth;
            break;
          }
          stack.push_back({child, 0, emitted, hidden});
          break;
        }
        default:
          break;
      }
      continue;
    }
    // All children done: close the element.
    if (stack.size() > 1) {
      const GumboTag tag = node->v.element.tag;
      if (top.emitted) {
        const QByteArray name = tagName(node);
        html += "</";
        html.append(name.constData(), size_t(name.size()));
        html += '>';
        --emittedDepth;
      }
      if (hiddenDepth == 0) {
        if (tag == GUMBO_TAG_P)
          text.lineBreaks(2);
        else if (isBlock(tag))
          text.lineBreaks(1);
      }
      if (top.textHidden) --hiddenDepth;
      if (keepsWhitespace(tag)) --preDepth;
    }
    stack.pop_back();
  }
  model->innerText = text.take();
  model->panelMarkup = panelMarkup(root);
  if (qsizetype(html.size()) > serialisedMarkupLimit(utf8.size())) {
    model->markupTooLarge = true;
    std::string().swap(html);
  }

  const QUrl base = refs.hasBase
                        ? documentUrl.resolved(QUrl(refs.base.trimmed(), QUrl::TolerantMode))
                        : documentUrl;
  model->images.reserve(refs.images.size());
  for (auto& [raw, image] : refs.images) {
    if (!raw.trimmed().isEmpty()) image.src = resolveAddress(base, raw);
    model->images.push_back(std::move(image));
  }
  model->links.reserve(refs.links.size());
  for (const QString& raw : refs.links) model->links.push_back(resolveAddress(base, raw));
  for (auto& [raw, frame] : refs.frames) {
    frame.location =
        raw.trimmed().isEmpty() ? std::string("about:blank") : resolveAddress(base, raw);
    model->frames.push_back(std::move(frame));
  }
  return model;
}

std::uint64_t markupDigest(std::string_view markup) {
  return std::hash<std::string_view>{}(markup);
}

bool WrittenCopy::isCopyOf(std::string_view markup) const {
  return markup.size() == length && markupDigest(markup) == digest;
}

}  // namespace web
