// The document model the logic reads and writes (platform::Document) over a parsed page.
// Image sizes: the attributes, one attribute scaled by the intrinsic aspect, else the
// intrinsic size from the engine's cache (0x0 while unknown).
#pragma once

#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "platform/document.h"
#include "web/document_model.h"

namespace web {

class Engine;

class WebDocument : public platform::Document {
 public:
  // changed: the content was replaced. needSizes: written markup names images whose size is
  // not cached yet (their addresses).
  WebDocument(Engine& engine, std::function<void()> changed,
              std::function<void(const std::vector<std::string>&)> needSizes);

  std::string innerHTML() override;
  std::string innerText() override;
  int imageCount() override;
  platform::ImageElement image(int index) override;
  int linkCount() override;
  std::string link(int index) override;
  int frameCount() override;
  std::string frameLocation(int index) override;
  std::string url() override;
  void close() override;
  void clear() override;
  platform::WriteOutcome write(const std::string& markup) override;
  void setOnClick(std::function<bool()> handler) override;

  // What a display panel lays out: the document rewritten with its size and nesting capped.
  std::string panelMarkup() const;

  // A newly loaded document (its onclick binding goes with the old one).
  void load(std::shared_ptr<DocumentModel> model, const QString& url);
  // Raises onclick; false when the handler cancelled the default action.
  bool click();

 private:
  const DocumentModel& requireRoot() const;
  Engine& engine_;
  std::function<void()> changed_;
  std::function<void(const std::vector<std::string>&)> needSizes_;
  std::shared_ptr<DocumentModel> model_;
  std::shared_ptr<DocumentModel> loaded_;           // what the last load brought
  std::shared_ptr<const WrittenCopy> writtenCopy_;  // its written copy, parsed ahead
  QUrl url_;
  std::function<bool()> onClick_;
};

// The laid-out size of an image from its attributes and its intrinsic size.
QSize layoutSize(int attrWidth, int attrHeight, QSize intrinsic);

}  // namespace web
