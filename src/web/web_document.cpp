#include "web/web_document.h"

#include <cmath>
#include <limits>

#include "platform/run_time_error.h"
#include "web/engine.h"
#include "web/parse_client.h"

namespace web {

namespace {

// The other side scaled by the image's aspect; header sizes can be huge, so saturate.
int scaledSide(int given, int numerator, int denominator) {
  const double scaled = std::round(double(given) * numerator / denominator);
  return scaled >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                           : int(scaled);
}

}  // namespace

QSize layoutSize(int attrWidth, int attrHeight, QSize intrinsic) {
  const bool known = intrinsic.isValid() && intrinsic.width() > 0 && intrinsic.height() > 0;
  if (attrWidth >= 0 && attrHeight >= 0) return {attrWidth, attrHeight};
  if (attrWidth >= 0) {
    return {attrWidth, known ? scaledSide(attrWidth, intrinsic.height(), intrinsic.width()) : 0};
  }
  if (attrHeight >= 0) {
    return {known ? scaledSide(attrHeight, intrinsic.width(), intrinsic.height()) : 0, attrHeight};
  }
  return known ? intrinsic : QSize(0, 0);
}

WebDocument::WebDocument(Engine& engine, std::function<void()> changed,
                         std::function<void(const std::vector<std::string>&)> needSizes)
    : engine_(engine),
      changed_(std::move(changed)),
      needSizes_(std::move(needSizes)),
      model_(buildDocument({}, QUrl("about:blank"))),
      url_("about:blank") {}

const DocumentModel& WebDocument::requireRoot() const {
  if (!model_ || !model_->hasRoot) throw platform::objectNotSet();
  return *model_;
}

std::string WebDocument::innerHTML() {
  const DocumentModel& model = requireRoot();
  if (model.markupTooLarge) throw platform::outOfMemory();
  return model.innerHTML;
}
std::string WebDocument::panelMarkup() const { return requireRoot().panelMarkup; }
std::string WebDocument::innerText() { return requireRoot().innerText; }

int WebDocument::imageCount() { return model_ ? int(model_->images.size()) : 0; }

platform::ImageElement WebDocument::image(int index) {
  if (!model_ || index < 0 || index >= int(model_->images.size())) throw platform::objectNotSet();
  const ImageRef& ref = model_->images[size_t(index)];
  QSize intrinsic;
  if (ref.needsIntrinsicSize()) intrinsic = engine_.cachedSize(QString::fromStdString(ref.src));
  const QSize size = layoutSize(ref.attrWidth, ref.attrHeight, intrinsic);
  return {ref.src, ref.src, size.width(), size.height()};
}

int WebDocument::linkCount() { return model_ ? int(model_->links.size()) : 0; }

std::string WebDocument::link(int index) {
  if (!model_ || index < 0 || index >= int(model_->links.size())) throw platform::objectNotSet();
  return model_->links[size_t(index)];
}

int WebDocument::frameCount() { return model_ ? int(model_->frames.size()) : 0; }

std::string WebDocument::frameLocation(int index) {
  if (!model_ || index < 0 || index >= int(model_->frames.size())) throw platform::objectNotSet();
  return model_->frames[size_t(index)].location;
}

std::string WebDocument::url() { return url_.toString(QUrl::FullyEncoded).toStdString(); }

void WebDocument::close() {}

void WebDocument::clear() {
  model_.reset();
  if (changed_) changed_();
}

platform::WriteOutcome WebDocument::write(const std::string& markup) {
  platform::WriteOutcome outcome = platform::WriteOutcome::Written;
  if (writtenCopy_ && writtenCopy_->isCopyOf(markup)) {
    model_ = writtenCopy_->model;
    if (!model_) {
      // Known to be too long or to take longer than the page's budget: no use waiting here.
      qWarning("quorel: the written copy of %s %s; the page stays as loaded",
               qPrintable(url_.toString()),
               writtenCopy_->overLimit ? "is longer than the engine takes back"
                                       : "could not be parsed in time");
      model_ = loaded_;
      outcome = platform::WriteOutcome::KeptAsLoaded;
    }
  } else {
    // The caller reads the result at once, so it waits; past the budget the document keeps
    // the page as loaded rather than freeze the program or crawl an empty page.
    const QByteArray utf8 = QByteArray::fromStdString(markup);
    model_ = engine_.options().parseInProcess
                 ? buildDocument(utf8, url_)
                 : engine_.writeParser().parseNow(utf8, url_, engine_.options().writeParseBudgetMs);
    if (!model_) {
      qWarning("quorel: markup written into %s was not parsed in time; the page stays as loaded",
               qPrintable(url_.toString()));
      model_ = loaded_ ? loaded_ : buildDocument({}, url_);
      outcome = platform::WriteOutcome::KeptAsLoaded;
    }
  }
  std::vector<std::string> unknown;
  for (const ImageRef& ref : model_->images) {
    if (!ref.needsIntrinsicSize()) continue;
    if (!engine_.cachedSize(QString::fromStdString(ref.src)).isValid()) unknown.push_back(ref.src);
  }
  if (!unknown.empty() && needSizes_) needSizes_(unknown);
  if (changed_) changed_();
  return outcome;
}

void WebDocument::setOnClick(std::function<bool()> handler) { onClick_ = std::move(handler); }

void WebDocument::load(std::shared_ptr<DocumentModel> model, const QString& url) {
  model_ = std::move(model);
  loaded_ = model_;
  writtenCopy_ = model_ ? model_->writtenCopy : nullptr;
  url_ = QUrl(url);
  onClick_ = nullptr;
  if (changed_) changed_();
}

bool WebDocument::click() {
  if (!onClick_) return true;
  auto handler = onClick_;  // the handler may rebind or clear the document
  return handler();
}

}  // namespace web
