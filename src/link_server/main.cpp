// quorel-vendor: the link server the collage asks for its version and its next link.
//   quorel-vendor [--listen ADDRESS:PORT] [--links FILE]
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "link_server/link_list.h"
#include "link_server/vendor_server.h"
#include "quorel_version.h"

namespace {

void say(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
}

// Reads and parses a list, reporting every skipped line; false when the file cannot be used.
bool loadLinks(const QString& path, vendor::LinkList& links) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    say(QStringLiteral("quorel-vendor: cannot read %1: %2").arg(path, file.errorString()));
    return false;
  }
  QList<vendor::LinkListProblem> problems;
  vendor::LinkList parsed = vendor::LinkList::parse(QString::fromUtf8(file.readAll()), &problems);
  for (const auto& problem : problems) {
    say(QStringLiteral("%1:%2: skipped: %3").arg(path).arg(problem.line).arg(problem.message));
  }
  if (parsed.count(false) == 0) {
    say(QStringLiteral("quorel-vendor: %1 has no usable entry outside adult mode").arg(path));
    return false;
  }
  links = std::move(parsed);
  return true;
}

bool parseListen(const QString& text, QHostAddress& address, quint16& port) {
  const qsizetype colon = text.lastIndexOf(u':');
  if (colon <= 0) return false;
  QString host = text.left(colon);
  if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
  bool ok = false;
  const uint number = text.mid(colon + 1).toUInt(&ok);
  if (!ok || number > 65535) return false;
  port = static_cast<quint16>(number);
  if (host == u"localhost") {
    address = QHostAddress(QHostAddress::LocalHost);
    return true;
  }
  return address.setAddress(host);
}

// SIGTERM and SIGINT end the event loop, so a stop is a clean exit (status 0) with a last line.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void quitOnSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
    say(QStringLiteral("quorel-vendor: stopping"));
    QCoreApplication::quit();
  });
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// The list next to the build (build/../data/links) or in the installed share folder.
QString defaultLinkFile() {
  const QDir bin(QCoreApplication::applicationDirPath());
  for (const char* relative : {"../data/links/default.txt", "../share/quorel/links/default.txt"}) {
    const QString path = bin.absoluteFilePath(QString::fromLatin1(relative));
    if (QFileInfo::exists(path)) return QDir::cleanPath(path);
  }
  return QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/quorel/links/default.txt")));
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("quorel-vendor"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "The Quorel link server: answers the program's version and link-list requests, the "
      "click-through redirect and the project's pages."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption listenOption(
      QStringLiteral("listen"), QStringLiteral("Address and port to listen on."),
      QStringLiteral("ADDRESS:PORT"), QStringLiteral("127.0.0.1:8480"));
  const QCommandLineOption linksOption(QStringLiteral("links"),
                                       QStringLiteral("The link list to hand out."),
                                       QStringLiteral("FILE"));
  parser.addOption(listenOption);
  parser.addOption(linksOption);
  parser.process(app);

  QHostAddress address;
  quint16 port = 0;
  if (!parseListen(parser.value(listenOption), address, port)) {
    say(QStringLiteral("quorel-vendor: --listen wants ADDRESS:PORT, not \"%1\"")
            .arg(parser.value(listenOption)));
    return 2;
  }
  const QString linkFile =
      parser.isSet(linksOption) ? parser.value(linksOption) : defaultLinkFile();
  vendor::LinkList links;
  if (!loadLinks(linkFile, links)) return 1;

  vendor::VendorServer server(links);
  if (!server.listen(address, port)) {
    say(QStringLiteral("quorel-vendor: cannot listen on %1: %2")
            .arg(parser.value(listenOption), server.errorString()));
    return 1;
  }
  say(QStringLiteral("quorel-vendor %1 listening on %2:%3, %4 links (%5 adult) from %6")
          .arg(QStringLiteral(QUOREL_VERSION), server.serverAddress().toString())
          .arg(server.serverPort())
          .arg(links.entries().size())
          .arg(links.count(true))
          .arg(linkFile));

  quitOnSignals();

  // An edited list takes effect without a restart; a broken edit keeps the old list.
  QFileSystemWatcher watcher({linkFile});
  QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &server, [&](const QString& path) {
    vendor::LinkList fresh;
    if (QFileInfo::exists(path) && loadLinks(path, fresh)) {
      server.setLinks(std::move(fresh));
      say(QStringLiteral("quorel-vendor: reloaded %1, %2 links (%3 adult)")
              .arg(path)
              .arg(server.links().entries().size())
              .arg(server.links().count(true)));
    } else {
      say(QStringLiteral("quorel-vendor: keeping the previous list"));
    }
    // Editors that save by renaming leave the watcher without its file.
    if (!watcher.files().contains(path)) watcher.addPath(path);
  });

  return app.exec();
}
