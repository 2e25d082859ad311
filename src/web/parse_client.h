// The engine's side of the parse helper (quorel-parse): one helper process, started on first
// use and reused, parsing the queued documents one after another. Each document has a wall
// budget from the moment the helper starts on it; past it, or when the helper dies or answers
// garbage, the helper is killed, that document fails and the ones queued behind it go to a
// fresh helper. Why a process: a parse cannot be stopped mid-way inside a thread, and a thread's
// memory cannot be capped. The helper is not trusted either: its reply may be no larger and
// hold no more items than its document allows (wire::replyLimit, wire::itemLimit), and its
// error output is read here and passed on up to kMaxParseErrorBytes per document, the rest dropped.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>

#include "web/document_model.h"
#include "web/parse_wire.h"

class QProcess;

namespace web {

class ParseClient : public QObject {
  Q_OBJECT
 public:
  // A null model: the helper failed on this document (overrun, crash, garbage) or is missing.
  using Done = std::function<void(std::shared_ptr<DocumentModel>)>;

  explicit ParseClient(QString helperPath, QObject* parent = nullptr);
  ~ParseClient() override;

  // The page's written copy (web::WrittenCopy): null when the helper made none or failed before
  // announcing it; without a model when its parse failed.
  using WrittenDone = std::function<void(std::shared_ptr<const WrittenCopy>)>;

  // Parses in the helper; done runs from the event loop unless context is gone by then. With
  // written, the helper then makes and parses the page's written copy, a document of its own
  // with the same budget, while done's receiver goes on; written follows done, also when the
  // page failed.
  void parse(const QByteArray& utf8, const QUrl& url, int budgetMs, QObject* context, Done done,
             WrittenDone written = {});
  // Waits at most budgetMs (documents queued before it count against it); null past it.
  std::shared_ptr<DocumentModel> parseNow(const QByteArray& utf8, const QUrl& url, int budgetMs);

  // No document queued or being parsed.
  bool idle() const { return jobs_.empty(); }
  // Ends the helper once no document has come for this long (it starts again on the next).
  void stopWhenIdleFor(int ms);

  // Where the helper is looked for: $QUOREL_PARSE_HELPER, beside the running program, the
  // libexec folder beside its bin folder, then the configured libexec folder.
  static QString locateHelper();

 private:
  struct Job {
    quint64 id = 0;
    QByteArray frame;
    std::uint32_t replyLimit = 0;
    std::uint32_t itemLimit = 0;
    int budgetMs = 0;
    QPointer<QObject> context;
    Done done;
    WrittenDone written;  // set: this job is the written copy of the page before it
    std::shared_ptr<WrittenCopy> announced;  // the copy's length and digest, its model to come
    bool sync = false;
    QString label;  // for the log line
  };
  void submit(const QByteArray& utf8, const QUrl& url, int budgetMs, QObject* context, Done done,
              WrittenDone written, bool sync);
  bool decodeHead(QByteArrayView payload);
  void ensureRunning();
  void onReadable();
  void onErrorOutput();
  void onDied(QProcess* which);
  void armHead();
  void restart(const char* why);
  // A null model: the head failed. A written copy reports what it was announced.
  void finishHead(std::shared_ptr<DocumentModel> model);
  void stopProcess();

  QString helperPath_;
  QProcess* process_ = nullptr;
  std::deque<Job> jobs_;  // all sent to the current helper; the front is being parsed
  QByteArray received_;
  qsizetype errorBytes_ = 0;  // written to stderr since the current document started
  QByteArray errorLine_;      // a line not yet ended
  QElapsedTimer headClock_;
  QTimer headDeadline_;
  QTimer idleStop_;
  quint64 nextId_ = 1;
  bool missingLogged_ = false;
};

}  // namespace web
