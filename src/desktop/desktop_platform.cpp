#include "desktop/desktop_platform.h"

#include <QCoreApplication>
#include <QWindow>

#include "core/vendor.h"
#include "desktop/program_folders.h"
#include "desktop/qt_main_window.h"
#include "desktop/qt_message_view.h"
#include "desktop/qt_options_view.h"
#include "desktop/qt_timer.h"
#include "web/engine.h"

namespace desktop {
namespace {

std::unique_ptr<web::Engine> makeEngine() {
  web::EngineOptions options;
  options.allowedPrivateHosts = {QString::fromLatin1(kVendorHost)};
  // The searches go to the link server too unless the build names other hosts.
  for (const char* host : kSearchHosts) {
    if (!options.allowedPrivateHosts.contains(QLatin1String(host)))
      options.allowedPrivateHosts.append(QString::fromLatin1(host));
  }
  // quorel-parse makes each page's copy as CleanupHTML writes it (parse_helper_main.cpp).
  options.prepareWrittenCopies = true;
  return std::make_unique<web::Engine>(options);
}

}  // namespace

DesktopPlatform::DesktopPlatform() : engine_(makeEngine()), transfer_(*engine_) {}

DesktopPlatform::~DesktopPlatform() {
  // Windows and their browsers first, then the engine they load through.
  main_.reset();
  message_.reset();
  options_.reset();
}

void DesktopPlatform::setHostWindow(QWindow* host, QRect area) {
  host_ = host;
  if (host) screen_.setOverride(area);
}

platform::MainWindow& DesktopPlatform::mainWindow() {
  if (!main_) main_ = std::make_unique<QtMainWindow>(*engine_, screen_, host_.data());
  return *main_;
}

platform::OptionsView& DesktopPlatform::optionsView() {
  if (!options_) options_ = std::make_unique<QtOptionsView>();
  return *options_;
}

platform::MessageView& DesktopPlatform::messageView() {
  if (!message_) message_ = std::make_unique<QtMessageView>(std::make_unique<QtTimer>());
  return *message_;
}

void DesktopPlatform::doEvents() { QCoreApplication::processEvents(); }

std::string DesktopPlatform::programFolder() {
  if (programFolder_.empty()) programFolder_ = desktop::programFolder().toStdString();
  return programFolder_;
}

std::string DesktopPlatform::picturesFolder() { return desktop::picturesFolder().toStdString(); }

std::string DesktopPlatform::executableName() { return desktop::executableName().toStdString(); }

void DesktopPlatform::endProgram(int status) {
  if (!endStatus_) endStatus_ = status;
  // Leaves every running loop (menus and modal boxes included) once the handler returns.
  QCoreApplication::exit(*endStatus_);
}

}  // namespace desktop
