#include "web/panel_markup.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "web/engine_limits.h"

namespace web {
namespace {

enum class Role : unsigned char {
  kUnwrap,   // its content without the tag (the default)
  kDrop,     // nothing of it
  kKeep,     // the tag and its content
  kVoid,     // the tag alone
  kTable,    // kept while tables nest no deeper than the cap
  kSection,  // tbody, thead, tfoot: unwrapped, rows go straight into the table
  kRow,      // tr, td, th: kept when their table is
  kIndent,   // a list or quote, kept while they nest no deeper than the cap
  kItem,     // li, dt, dd: kept when their list is
};

struct TagRule {
  GumboTag tag;
  Role role;
  const char* writtenAs = nullptr;  // else its own name
};

constexpr TagRule kTagRules[] = {
    {GUMBO_TAG_HTML, Role::kKeep},
    {GUMBO_TAG_BODY, Role::kKeep},
    // Formatting Qt draws.
    {GUMBO_TAG_A, Role::kKeep},
    {GUMBO_TAG_B, Role::kKeep},
    {GUMBO_TAG_I, Role::kKeep},
    {GUMBO_TAG_U, Role::kKeep},
    {GUMBO_TAG_S, Role::kKeep},
    {GUMBO_TAG_STRIKE, Role::kKeep},
    {GUMBO_TAG_EM, Role::kKeep},
    {GUMBO_TAG_STRONG, Role::kKeep},
    {GUMBO_TAG_SMALL, Role::kKeep},
    {GUMBO_TAG_BIG, Role::kKeep},
    {GUMBO_TAG_SUB, Role::kKeep},
    {GUMBO_TAG_SUP, Role::kKeep},
    {GUMBO_TAG_CODE, Role::kKeep},
    {GUMBO_TAG_TT, Role::kKeep},
    {GUMBO_TAG_KBD, Role::kKeep},
    {GUMBO_TAG_SAMP, Role::kKeep},
    {GUMBO_TAG_VAR, Role::kKeep},
    {GUMBO_TAG_CITE, Role::kKeep},
    {GUMBO_TAG_DFN, Role::kKeep},
    {GUMBO_TAG_SPAN, Role::kKeep},
    {GUMBO_TAG_FONT, Role::kKeep},
    {GUMBO_TAG_NOBR, Role::kKeep},
    // Blocks.
    {GUMBO_TAG_P, Role::kKeep},
    {GUMBO_TAG_DIV, Role::kKeep},
    {GUMBO_TAG_CENTER, Role::kKeep},
    {GUMBO_TAG_H1, Role::kKeep},
    {GUMBO_TAG_H2, Role::kKeep},
    {GUMBO_TAG_H3, Role::kKeep},
    {GUMBO_TAG_H4, Role::kKeep},
    {GUMBO_TAG_H5, Role::kKeep},
    {GUMBO_TAG_H6, Role::kKeep},
    {GUMBO_TAG_PRE, Role::kKeep},
    {GUMBO_TAG_ADDRESS, Role::kKeep},
    {GUMBO_TAG_LISTING, Role::kKeep, "pre"},
    {GUMBO_TAG_XMP, Role::kKeep, "pre"},
    {GUMBO_TAG_PLAINTEXT, Role::kKeep, "pre"},
    {GUMBO_TAG_ARTICLE, Role::kKeep, "div"},
    {GUMBO_TAG_SECTION, Role::kKeep, "div"},
    {GUMBO_TAG_NAV, Role::kKeep, "div"},
    {GUMBO_TAG_ASIDE, Role::kKeep, "div"},
    {GUMBO_TAG_HEADER, Role::kKeep, "div"},
    {GUMBO_TAG_FOOTER, Role::kKeep, "div"},
    {GUMBO_TAG_MAIN, Role::kKeep, "div"},
    {GUMBO_TAG_HGROUP, Role::kKeep, "div"},
    {GUMBO_TAG_FIGURE, Role::kKeep, "div"},
    {GUMBO_TAG_FIGCAPTION, Role::kKeep, "div"},
    {GUMBO_TAG_FORM, Role::kKeep, "div"},
    {GUMBO_TAG_FIELDSET, Role::kKeep, "div"},
    {GUMBO_TAG_DETAILS, Role::kKeep, "div"},
    {GUMBO_TAG_SUMMARY, Role::kKeep, "div"},
    {GUMBO_TAG_BR, Role::kVoid},
    {GUMBO_TAG_HR, Role::kVoid},
    {GUMBO_TAG_IMG, Role::kVoid},
    {GUMBO_TAG_IMAGE, Role::kVoid, "img"},
    // Tables and lists.
    {GUMBO_TAG_TABLE, Role::kTable},
    {GUMBO_TAG_TBODY, Role::kSection},
    {GUMBO_TAG_THEAD, Role::kSection},
    {GUMBO_TAG_TFOOT, Role::kSection},
    {GUMBO_TAG_TR, Role::kRow},
    {GUMBO_TAG_TD, Role::kRow},
    {GUMBO_TAG_TH, Role::kRow},
    {GUMBO_TAG_UL, Role::kIndent},
    {GUMBO_TAG_OL, Role::kIndent},
    {GUMBO_TAG_DL, Role::kIndent},
    {GUMBO_TAG_DIR, Role::kIndent, "ul"},
    {GUMBO_TAG_MENU, Role::kIndent, "ul"},
    {GUMBO_TAG_BLOCKQUOTE, Role::kIndent},
    {GUMBO_TAG_LI, Role::kItem},
    {GUMBO_TAG_DT, Role::kItem},
    {GUMBO_TAG_DD, Role::kItem},
    // Never drawn, or not as a panel would draw it.
    {GUMBO_TAG_HEAD, Role::kDrop},
    {GUMBO_TAG_TITLE, Role::kDrop},
    {GUMBO_TAG_STYLE, Role::kDrop},
    {GUMBO_TAG_SCRIPT, Role::kDrop},
    {GUMBO_TAG_NOSCRIPT, Role::kDrop},
    {GUMBO_TAG_TEMPLATE, Role::kDrop},
    {GUMBO_TAG_CAPTION, Role::kDrop},
    {GUMBO_TAG_COLGROUP, Role::kDrop},
    {GUMBO_TAG_COL, Role::kDrop},
    {GUMBO_TAG_IFRAME, Role::kDrop},
    {GUMBO_TAG_FRAME, Role::kDrop},
    {GUMBO_TAG_FRAMESET, Role::kDrop},
    {GUMBO_TAG_NOFRAMES, Role::kDrop},
    {GUMBO_TAG_NOEMBED, Role::kDrop},
    {GUMBO_TAG_EMBED, Role::kDrop},
    {GUMBO_TAG_OBJECT, Role::kDrop},
    {GUMBO_TAG_APPLET, Role::kDrop},
    {GUMBO_TAG_VIDEO, Role::kDrop},
    {GUMBO_TAG_AUDIO, Role::kDrop},
    {GUMBO_TAG_CANVAS, Role::kDrop},
    {GUMBO_TAG_MAP, Role::kDrop},
    {GUMBO_TAG_SVG, Role::kDrop},
    {GUMBO_TAG_MATH, Role::kDrop},
    {GUMBO_TAG_INPUT, Role::kDrop},
    {GUMBO_TAG_BUTTON, Role::kDrop},
    {GUMBO_TAG_SELECT, Role::kDrop},
    {GUMBO_TAG_TEXTAREA, Role::kDrop},
    {GUMBO_TAG_DATALIST, Role::kDrop},
    {GUMBO_TAG_OUTPUT, Role::kDrop},
    {GUMBO_TAG_PROGRESS, Role::kDrop},
    {GUMBO_TAG_METER, Role::kDrop},
    {GUMBO_TAG_KEYGEN, Role::kDrop},
    {GUMBO_TAG_ISINDEX, Role::kDrop},
};

const std::array<TagRule, GUMBO_TAG_LAST + 1>& tagRules() {
  static const auto rules = [] {
    std::array<TagRule, GUMBO_TAG_LAST + 1> all{};
    for (std::size_t tag = 0; tag < all.size(); ++tag) all[tag] = {GumboTag(tag), Role::kUnwrap};
    for (const TagRule& rule : kTagRules) all[rule.tag] = rule;
    return all;
  }();
  return rules;
}

enum class Value : unsigned char {
  kColour,   // a name or #rgb
  kTitle,    // any text of up to 1 KiB
  kAddress,  // as written, up to 8 KiB
  kLength,   // pixels up to 10000 or a percentage
  kSpacing,  // 0..64
  kAlign,
  kVAlign,
  kFontSize,  // 1..7, or +n / -n
};

struct AttributeRule {
  const char* name;
  Value value;
};

constexpr AttributeRule kAttributeRules[] = {
    {"bgcolor", Value::kColour},      {"color", Value::kColour},        {"text", Value::kColour},
    {"title", Value::kTitle},         {"href", Value::kAddress},        {"src", Value::kAddress},
    {"width", Value::kLength},        {"height", Value::kLength},       {"border", Value::kSpacing},
    {"cellspacing", Value::kSpacing}, {"cellpadding", Value::kSpacing}, {"align", Value::kAlign},
    {"valign", Value::kVAlign},       {"size", Value::kFontSize},
};

constexpr std::size_t kMaxTitle = 1024;
constexpr long kMaxPixels = 10000;
// Qt's line breaking grows with the square of a word's length (one word of 64 KiB: 0.3 s of
// CPU), so long words get an invisible break opportunity, a zero-width space, every 64 bytes.
constexpr std::size_t kMaxWordBytes = 64;
constexpr char kBreakOpportunity[] = "\xE2\x80\x8B";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string trimmed(const char* value) {
  std::string text(value);
  std::size_t begin = 0, end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  while (end > begin && isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The leading digits, saturated at limit; nullopt without any.
std::optional<long> leadingNumber(const std::string& text, long limit, std::size_t* end) {
  std::size_t i = 0;
  long n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    n = n * 10 + (text[i] - '0');
    if (n > limit) n = limit;
    ++i;
  }
  *end = i;
  return i == 0 ? std::nullopt : std::optional<long>(n);
}

bool oneOf(const std::string& text, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (strcasecmp(text.c_str(), word) == 0) return true;
  return false;
}

std::optional<std::string> checkedValue(Value kind, const char* raw) {
  const std::string value = trimmed(raw);
  std::size_t end = 0;
  switch (kind) {
    case Value::kColour:
      if (value.empty() || value.size() > 32) return std::nullopt;
      for (const char c : value)
        if (!(c == '#' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
              (c >= 'A' && c <= 'Z')))
          return std::nullopt;
      return value;
    case Value::kTitle:
      return std::strlen(raw) <= kMaxTitle ? std::optional<std::string>(raw) : std::nullopt;
    case Value::kAddress:
      return std::strlen(raw) <= std::size_t(kMaxAddressLength) ? std::optional<std::string>(raw)
                                                                : std::nullopt;
    case Value::kLength: {
      const auto n = leadingNumber(value, kMaxPixels, &end);
      if (!n) return std::nullopt;
      if (end < value.size() && value[end] == '%') return std::to_string(*n > 100 ? 100 : *n) + "%";
      return std::to_string(*n);
    }
    case Value::kSpacing: {
      const auto n = leadingNumber(value, 64, &end);
      return n ? std::optional<std::string>(std::to_string(*n)) : std::nullopt;
    }
    case Value::kAlign:
      return oneOf(value, {"left", "right", "center", "justify"}) ? std::optional(value)
                                                                  : std::nullopt;
    case Value::kVAlign:
      return oneOf(value, {"top", "middle", "bottom"}) ? std::optional(value) : std::nullopt;
    case Value::kFontSize: {
      const std::size_t sign = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
      if (value.size() != sign + 1 || value[sign] < '1' || value[sign] > '7') return std::nullopt;
      return value;
    }
  }
  return std::nullopt;
}

void appendEscaped(std::string& out, const std::string& text, bool inAttribute) {
  for (const char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"' && inAttribute)
      out += "&quot;";
    else
      out += c;
  }
}

std::string openingTag(const GumboNode* node, const char* name) {
  std::string tag = "<";
  tag += name;
  const GumboVector& attributes = node->v.element.attributes;
  for (const AttributeRule& rule : kAttributeRules) {
    const GumboAttribute* found = gumbo_get_attribute(&attributes, rule.name);
    if (!found) continue;
    const auto value = checkedValue(rule.value, found->value);
    if (!value) continue;
    tag += ' ';
    tag += rule.name;
    tag += "=\"";
    appendEscaped(tag, *value, true);
    tag += '"';
  }
  tag += '>';
  return tag;
}

const char* nameOf(const GumboNode* node, const TagRule& rule) {
  return rule.writtenAs ? rule.writtenAs : gumbo_normalized_tagname(node->v.element.tag);
}

// What the nearest written element lets its content be.
enum class Context : unsigned char { kFlow, kTable, kRow, kList };

class Writer {
 public:
  explicit Writer(const PanelCaps& caps) : caps_(caps) {}

  void run(const GumboNode* root) {
    visit(root, Context::kFlow);
    while (!stack_.empty() && !stopped_) {
      Open& top = stack_.back();
      const GumboVector& children = top.node->v.element.children;
      if (top.next < children.length)
        visit(static_cast<const GumboNode*>(children.data[top.next++]), top.context);
      else
        close();
    }
    while (!stack_.empty()) close();
  }

  std::string take() { return std::move(out_); }

 private:
  struct Open {
    const GumboNode* node;
    Context context;      // for its content
    unsigned next = 0;    // its next child
    std::string closing;  // empty when unwrapped
    bool table = false;   // a written table
    bool indent = false;  // a written list or quote
  };

  void visit(const GumboNode* node, Context context) {
    switch (node->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
      case GUMBO_NODE_CDATA:
        // Between rows and cells text has no place.
        if (context == Context::kFlow || context == Context::kList) text(node->v.text.text);
        return;
      case GUMBO_NODE_ELEMENT:
        element(node, context);
        return;
      default:
        return;  // comments, templates
    }
  }

  void element(const GumboNode* node, Context context) {
    const GumboElement& element = node->v.element;
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML) return;
    if (gumbo_get_attribute(&element.attributes, "hidden")) return;
    const TagRule& rule = tagRules()[element.tag];
    const bool isRow = element.tag == GUMBO_TAG_TR;
    // A written table holds rows and a row holds cells, nothing else.
    if (context == Context::kTable && rule.role != Role::kSection && !isRow) return;
    if (context == Context::kRow && (rule.role != Role::kRow || isRow)) return;

    Open open{.node = node, .context = context, .next = 0, .closing = {}};
    bool written = false;
    switch (rule.role) {
      case Role::kDrop:
        return;
      case Role::kUnwrap:
      case Role::kSection:
        break;
      case Role::kKeep:
        written = depth_ < caps_.depth;
        break;
      case Role::kVoid:
        write(node, rule, true);
        return;
      case Role::kTable:
        written = tables_ < caps_.tableDepth && depth_ < caps_.depth;
        open.table = written;
        break;
      case Role::kRow:
        written = context == (isRow ? Context::kTable : Context::kRow);
        break;
      case Role::kIndent:
        written = indents_ < caps_.indentDepth && depth_ < caps_.depth;
        open.indent = written;
        break;
      case Role::kItem:
        written = context == Context::kList;
        break;
    }
    if (written) {
      if (!write(node, rule, false)) return;
      open.closing = std::string("</") + nameOf(node, rule) + '>';
      closingBytes_ += open.closing.size();
      ++depth_;
      if (open.table) ++tables_;
      if (open.indent) ++indents_;
      open.context = open.table                                           ? Context::kTable
                     : isRow                                              ? Context::kRow
                     : open.indent && element.tag != GUMBO_TAG_BLOCKQUOTE ? Context::kList
                                                                          : Context::kFlow;
    } else if (rule.role == Role::kRow || rule.role == Role::kItem) {
      text(" ");  // flattened cells and items stay apart
    }
    if (!stopped_) stack_.push_back(std::move(open));
  }

  // Writes the opening tag, or stops the page when it would pass a cap.
  bool write(const GumboNode* node, const TagRule& rule, bool isVoid) {
    if (elements_ >= caps_.elements) return stop();
    const bool cell = rule.role == Role::kRow && node->v.element.tag != GUMBO_TAG_TR;
    if (cell && cells_++ >= caps_.cells) return stop();
    const bool image = std::strcmp(nameOf(node, rule), "img") == 0;
    if (image && images_++ >= caps_.images) return stop();
    const char* name = nameOf(node, rule);
    const std::string tag = openingTag(node, name);
    const std::size_t closing = isVoid ? 0 : std::strlen(name) + 3;
    if (out_.size() + tag.size() + closingBytes_ + closing > std::size_t(caps_.bytes))
      return stop();
    ++elements_;
    out_ += tag;
    return true;
  }

  void text(const char* raw) {
    std::string escaped;
    std::size_t taken = 0;
    const std::size_t length = std::strlen(raw);
    const std::size_t room =
        std::size_t(caps_.bytes) - std::min(std::size_t(caps_.bytes), out_.size() + closingBytes_);
    while (taken < length) {
      // Whole characters only: gumbo hands out valid UTF-8.
      std::size_t size = 1;
      while (taken + size < length &&
             (static_cast<unsigned char>(raw[taken + size]) & 0xC0) == 0x80)
        ++size;
      const std::size_t before = escaped.size();
      if (isSpace(raw[taken])) {
        word_ = 0;
      } else if ((word_ += size) > kMaxWordBytes) {
        escaped += kBreakOpportunity;
        word_ = size;
      }
      appendEscaped(escaped, std::string(raw + taken, size), false);
      if (textBytes_ + taken + size > std::size_t(caps_.textBytes) || escaped.size() > room) {
        escaped.resize(before);
        out_ += escaped;
        stop();
        return;
      }
      taken += size;
    }
    textBytes_ += taken;
    out_ += escaped;
  }

  void close() {
    const Open& top = stack_.back();
    if (!top.closing.empty()) {
      out_ += top.closing;
      closingBytes_ -= top.closing.size();
      --depth_;
    }
    if (top.table) --tables_;
    if (top.indent) --indents_;
    stack_.pop_back();
  }

  bool stop() {
    stopped_ = true;
    return false;
  }

  const PanelCaps& caps_;
  std::string out_;
  std::vector<Open> stack_;
  std::size_t closingBytes_ = 0, textBytes_ = 0;
  int depth_ = 0, tables_ = 0, indents_ = 0, elements_ = 0, cells_ = 0, images_ = 0;
  std::size_t word_ = 0;  // bytes since the last space or break
  bool stopped_ = false;
};

}  // namespace

std::string panelMarkup(const GumboNode* root, const PanelCaps& caps) {
  if (!root || root->type != GUMBO_NODE_ELEMENT) return {};
  Writer writer(caps);
  writer.run(root);
  return writer.take();
}

}  // namespace web
