// WebBrowser: one browser control's navigation state and its document.
#include "web/web_browser.h"

#include <QPointer>
#include <QTimer>

#include "web/image_probe.h"
#include "web/page_load.h"
#include "web/web_document.h"

namespace web {

struct WebBrowser::Private {
  Private(WebBrowser* owner, Engine& shared)
      : q(owner),
        engine(shared),
        document(
            shared, [this] { notifyChanged(); },
            [this](const std::vector<std::string>& addresses) { probeWritten(addresses); }) {}

  void notifyChanged() {
    if (changePending) return;
    changePending = true;
    QTimer::singleShot(0, q, [this] {
      changePending = false;
      emit q->documentChanged();
    });
  }

  // Written markup names images not sized yet: size them for later reads.
  void probeWritten(const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses) {
      const QString key = QString::fromStdString(address);
      if (writeProbes.contains(key) || writeProbes.size() >= engine.options().maxProbesPerPage)
        continue;
      auto* probe = new SizeProbe(engine, key, q);
      writeProbes.insert(key, probe);
      QObject::connect(probe, &SizeProbe::done, q, [this, key, probe] {
        writeProbes.remove(key);
        probe->deleteLater();
        notifyChanged();
      });
      probe->start();
    }
  }

  void stopAll() {
    ++generation;
    if (load) {
      load->cancel();
      load->deleteLater();
      load = nullptr;
    }
    for (SizeProbe* probe : std::as_const(writeProbes)) probe->deleteLater();
    writeProbes.clear();
  }

  WebBrowser* q;
  Engine& engine;
  WebDocument document;
  PageLoad* load = nullptr;
  QHash<QString, SizeProbe*> writeProbes;
  quint64 generation = 0;  // bumped by every stop: reports of older loads are dropped
  bool keepsPictures = false;
  bool changePending = false;
};

WebBrowser::WebBrowser(Engine& engine, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(this, engine)) {}

WebBrowser::~WebBrowser() { d->stopAll(); }

void WebBrowser::navigate(const QString& url, Origin origin) {
  d->stopAll();
  const quint64 generation = d->generation;
  PageLoad::Reports reports;
  reports.frameComplete = [this](const QString& frameUrl) { emit documentComplete(frameUrl); };
  reports.framesetReady = [this](std::shared_ptr<DocumentModel> model, const QString& pageUrl) {
    d->document.load(std::move(model), pageUrl);
  };
  reports.navigateError = [this](const QString& failedUrl, const QString& frame, qint32 status) {
    bool cancel = false;
    emit navigateError(failedUrl, frame, status, &cancel);
    return cancel;
  };
  // A handler may navigate again from inside an event; the old load then reports no more.
  reports.pageComplete = [this, generation](std::shared_ptr<DocumentModel> model,
                                            const QString& pageUrl) {
    d->document.load(std::move(model), pageUrl);
    emit documentComplete(pageUrl);
    if (d->generation == generation) emit loadFinished(true);
  };
  reports.pageFailed = [this, generation](std::shared_ptr<DocumentModel> model,
                                          const QString& pageUrl) {
    if (model) {
      d->document.load(std::move(model), pageUrl);
      emit documentComplete(pageUrl);
    }
    if (d->generation == generation) emit loadFinished(false);
  };
  d->load = new PageLoad(d->engine, url, d->keepsPictures, std::move(reports), this);
  d->load->setOwnRequest(origin == Origin::Program);
  d->load->start();
}

void WebBrowser::quit() { d->stopAll(); }

platform::Document& WebBrowser::document() { return d->document; }
std::string WebBrowser::panelMarkup() const { return d->document.panelMarkup(); }
Engine& WebBrowser::engine() { return d->engine; }
void WebBrowser::setKeepsPictures(bool on) { d->keepsPictures = on; }
bool WebBrowser::click() { return d->document.click(); }

}  // namespace web
