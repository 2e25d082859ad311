#include "web/parse_client.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>

#include "web/engine_limits.h"

namespace web {
namespace {

// The helper's words reach a terminal or a log: nothing in them may steer either.
QByteArray printable(QByteArrayView bytes) {
  QByteArray out = bytes.toByteArray();
  for (char& c : out) {
    if ((c < ' ' || c > '~') && c != '\n' && c != '\t') c = '?';
  }
  return out;
}

}  // namespace

ParseClient::ParseClient(QString helperPath, QObject* parent)
    : QObject(parent), helperPath_(std::move(helperPath)) {
  headDeadline_.setSingleShot(true);
  connect(&headDeadline_, &QTimer::timeout, this, [this] { restart("took too long"); });
}

ParseClient::~ParseClient() {
  stopProcess();
  // Killed helpers not yet reaped are reaped here, before their objects go with this one.
  for (QProcess* killed : findChildren<QProcess*>()) killed->waitForFinished(1000);
}

QString ParseClient::locateHelper() {
  const QString configured = qEnvironmentVariable("QUOREL_PARSE_HELPER");
  if (!configured.isEmpty()) return configured;
  const QString here = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {here + "/quorel-parse", here + "/" QUOREL_LIBEXEC_FROM_BIN "/quorel-parse"}) {
    if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).canonicalFilePath();
  }
  return QStringLiteral(QUOREL_LIBEXEC_DIR "/quorel-parse");
}

void ParseClient::parse(const QByteArray& utf8, const QUrl& url, int budgetMs, QObject* context,
                        Done done, WrittenDone written) {
  submit(utf8, url, budgetMs, context, std::move(done), std::move(written), false);
}

std::shared_ptr<DocumentModel> ParseClient::parseNow(const QByteArray& utf8, const QUrl& url,
                                                     int budgetMs) {
  auto answer = std::make_shared<std::optional<std::shared_ptr<DocumentModel>>>();
  const quint64 id = nextId_;
  submit(
      utf8, url, budgetMs, this,
      [answer](std::shared_ptr<DocumentModel> model) { *answer = std::move(model); }, {}, true);
  QElapsedTimer clock;
  clock.start();
  // The event loop does not run here: deadlines and deaths are checked by hand.
  while (!answer->has_value() && process_ && !jobs_.empty()) {
    const qint64 left = budgetMs - clock.elapsed();
    const qint64 headLeft = jobs_.front().budgetMs - headClock_.elapsed();
    if (left <= 0 && jobs_.front().id != id) {
      // Still behind other documents: drop ours when its answer comes.
      for (Job& job : jobs_) {
        if (job.id == id) job.done = nullptr;
      }
      break;
    }
    if (headLeft <= 0 || left <= 0) {
      restart("took too long");
      continue;
    }
    QProcess* waitingOn = process_;
    waitingOn->waitForReadyRead(int(std::max<qint64>(1, std::min(left, headLeft))));
    if (process_ == waitingOn && waitingOn->state() == QProcess::NotRunning) onDied(waitingOn);
  }
  if (answer->has_value() && **answer) return **answer;
  return nullptr;
}

void ParseClient::submit(const QByteArray& utf8, const QUrl& url, int budgetMs, QObject* context,
                         Done done, WrittenDone written, bool sync) {
  const bool wantsCopy = bool(written);
  const QByteArray frame = wire::encodeRequest({url, utf8, wantsCopy});
  const bool first = jobs_.empty();
  jobs_.push_back({nextId_++,
                   frame,
                   wire::replyLimit(utf8.size()),
                   wire::itemLimit(utf8.size()),
                   budgetMs,
                   context,
                   std::move(done),
                   {},
                   {},
                   sync,
                   url.toString()});
  if (wantsCopy) {
    // No request of its own: the page's asks for it. Its model is bounded like a page's of
    // the longest copy taken back.
    const qsizetype copyLimit = serialisedMarkupLimit(utf8.size());
    jobs_.push_back({nextId_++,
                     {},
                     wire::replyLimit(copyLimit),
                     wire::itemLimit(copyLimit),
                     budgetMs,
                     context,
                     {},
                     std::move(written),
                     {},
                     sync,
                     "the written copy of " + url.toString()});
  }
  ensureRunning();
  if (!process_) return;
  process_->write(frame);
  if (first) armHead();
}

void ParseClient::ensureRunning() {
  if (process_) return;
  if (helperPath_.isEmpty() || !QFileInfo(helperPath_).isExecutable()) {
    if (!missingLogged_)
      qWarning("quorel: the parse helper %s cannot be run", qPrintable(helperPath_));
    missingLogged_ = true;
    while (!jobs_.empty()) finishHead(nullptr);
    return;
  }
  auto* process = new QProcess(this);
  process_ = process;
  received_.clear();
  errorBytes_ = 0;
  process->setProgram(helperPath_);
  process->setProcessChannelMode(QProcess::SeparateChannels);
  connect(process, &QProcess::readyReadStandardOutput, this, &ParseClient::onReadable);
  connect(process, &QProcess::readyReadStandardError, this, &ParseClient::onErrorOutput);
  connect(process, &QProcess::finished, this, [this, process] { onDied(process); });
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart || error == QProcess::Crashed) onDied(process);
  });
  process->start(QIODevice::ReadWrite);
}

void ParseClient::onReadable() {
  if (!process_) return;
  received_ += process_->readAllStandardOutput();
  while (const std::optional<std::uint32_t> length = wire::frameLength(received_)) {
    if (jobs_.empty()) {
      restart("answered garbage");
      return;
    }
    if (*length > jobs_.front().replyLimit) {
      restart("answered more than its page allows");
      return;
    }
    const qsizetype whole = wire::kHeaderBytes + qsizetype(*length);
    if (received_.size() < whole) {
      // One allocation for the whole reply, not a doubling series of copies.
      if (received_.capacity() < whole) received_.reserve(whole);
      return;
    }
    if (!decodeHead(QByteArrayView(received_).sliced(wire::kHeaderBytes, *length))) {
      restart("answered garbage");
      return;
    }
    // A large reply's buffer is not kept for the next one.
    received_ = received_.size() == whole ? QByteArray() : received_.sliced(whole);
    armHead();
  }
}

bool ParseClient::decodeHead(QByteArrayView payload) {
  Job& head = jobs_.front();
  if (head.written && !head.announced) {
    std::optional<std::shared_ptr<WrittenCopy>> copy = wire::decodeCopyAnnouncement(payload);
    if (!copy) return false;
    const bool modelFollows = *copy && !(*copy)->overLimit;
    head.announced = std::move(*copy);
    // A model follows, on the copy's own budget, unless the copy is over the limit.
    if (!modelFollows) finishHead(nullptr);
    return true;
  }
  if (head.written) {
    head.announced->model = wire::decodeModel(payload, head.itemLimit);
    if (!head.announced->model) return false;
    finishHead(nullptr);
    return true;
  }
  std::shared_ptr<DocumentModel> model = wire::decodeModel(payload, head.itemLimit);
  if (!model) return false;
  finishHead(std::move(model));
  return true;
}

void ParseClient::onErrorOutput() {
  if (!process_) return;
  const QByteArray chunk = process_->readAllStandardError();
  const qsizetype room = std::max<qsizetype>(0, kMaxParseErrorBytes - errorBytes_);
  errorBytes_ += chunk.size();
  errorLine_ += printable(QByteArrayView(chunk).first(std::min(room, chunk.size())));
  for (qsizetype end; (end = errorLine_.indexOf('\n')) >= 0; errorLine_.remove(0, end + 1))
    qWarning("%s", errorLine_.first(end).constData());
  if (chunk.size() > room && errorBytes_ - chunk.size() <= kMaxParseErrorBytes) {
    if (!errorLine_.isEmpty()) qWarning("%s", errorLine_.constData());
    errorLine_.clear();
    qWarning(
        "quorel: the parse helper wrote more than %lld KiB of errors on %s; the rest is "
        "dropped",
        qlonglong(kMaxParseErrorBytes / 1024),
        jobs_.empty() ? "no page" : qPrintable(jobs_.front().label));
  }
}

void ParseClient::onDied(QProcess* which) {
  if (which != process_) return;
  if (jobs_.empty()) {
    stopProcess();  // died idle: the next document starts a fresh one
    return;
  }
  restart(process_->exitStatus() == QProcess::CrashExit ? "crashed" : "stopped");
}

void ParseClient::restart(const char* why) {
  if (!jobs_.empty()) {
    qWarning("quorel: the parse helper %s on %s; it is restarted", why,
             qPrintable(jobs_.front().label));
  }
  stopProcess();
  if (!jobs_.empty()) finishHead(nullptr);
  // A written copy whose page was lost was never asked of the next helper.
  while (!jobs_.empty() && jobs_.front().frame.isEmpty()) finishHead(nullptr);
  if (jobs_.empty()) return;
  ensureRunning();
  if (!process_) return;
  for (const Job& job : jobs_) process_->write(job.frame);
  armHead();
}

void ParseClient::stopWhenIdleFor(int ms) {
  idleStop_.setSingleShot(true);
  idleStop_.setInterval(ms);
  connect(&idleStop_, &QTimer::timeout, this, [this] {
    if (jobs_.empty()) stopProcess();
  });
}

void ParseClient::armHead() {
  if (jobs_.empty()) {
    headDeadline_.stop();
    if (idleStop_.interval() > 0) idleStop_.start();
    return;
  }
  headClock_.start();
  headDeadline_.start(jobs_.front().budgetMs);
  errorBytes_ = 0;
}

void ParseClient::finishHead(std::shared_ptr<DocumentModel> model) {
  Job job = std::move(jobs_.front());
  jobs_.pop_front();
  std::function<void()> report;
  if (job.written) {
    // A copy announced but not parsed in time is still known, without its model.
    report = [written = std::move(job.written), copy = std::move(job.announced)] { written(copy); };
  } else if (job.done) {
    report = [done = std::move(job.done), model = std::move(model)] { done(model); };
  } else {
    return;
  }
  if (job.sync) {
    report();
  } else if (job.context) {
    QTimer::singleShot(0, job.context.data(), std::move(report));
  }
}

void ParseClient::stopProcess() {
  headDeadline_.stop();
  received_ = QByteArray();
  if (!errorLine_.isEmpty()) qWarning("%s", errorLine_.constData());
  errorLine_.clear();
  if (!process_) return;
  QProcess* process = process_;
  process_ = nullptr;
  disconnect(process, nullptr, this, nullptr);
  // Possibly inside one of its own signals: killed now, deleted once it is reaped.
  if (process->state() == QProcess::NotRunning) {
    process->deleteLater();
    return;
  }
  connect(process, &QProcess::finished, process, &QObject::deleteLater);
  process->kill();
}

}  // namespace web
