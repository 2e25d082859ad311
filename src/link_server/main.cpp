// quorel-vendor: the link server the collage asks for its version and its next link.
//   quorel-vendor [--listen ADDRESS:PORT] [--links FILE] [--commons-api URL] [--contact TEXT]
//                 [--thumb-width N] [--api-per-minute N] [--filter FILE | --unfiltered]
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <optional>

#include "link_server/family_filter.h"
#include "link_server/link_list.h"
#include "link_server/link_server.h"
#include "link_server/picture_api.h"
#include "link_server/search_gateway.h"
#include "link_server/server_log.h"
#include "quorel_version.h"

namespace {

void say(const QString& text) { link_server::WriteLog({}, text); }

// Reads and parses a list, reporting every skipped line; false when the file cannot be used.
bool loadLinks(const QString& path, link_server::LinkList& links) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    say(QStringLiteral("quorel-vendor: cannot read %1: %2").arg(path, file.errorString()));
    return false;
  }
  QList<link_server::LinkListProblem> problems;
  link_server::LinkList parsed =
      link_server::LinkList::parse(QString::fromUtf8(file.readAll()), &problems);
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

// Connections the descriptor limit leaves room for. The soft limit (often 1,024, not even
// room for 1,024 connections besides the files the program has open) is raised to the hard one.
int connectionRoom(int wanted) {
  constexpr rlim_t kReserve = 64;  // the program's own files, the list, the watcher ...
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
  const rlim_t needed = static_cast<rlim_t>(wanted) + kReserve;
  if (limit.rlim_cur < needed && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = std::min(limit.rlim_max, needed);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ::getrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur >= needed) return wanted;
  const int room = limit.rlim_cur > kReserve ? static_cast<int>(limit.rlim_cur - kReserve) : 1;
  say(QStringLiteral("quorel-vendor: the descriptor limit (%1) leaves room for %2 connections")
          .arg(limit.rlim_cur)
          .arg(room));
  return room;
}

// The listening socket systemd hands over (LISTEN_PID/LISTEN_FDS, first descriptor 3), if
// this process was started by a socket unit; -1 otherwise.
int systemdSocket() {
  const bool ours = qEnvironmentVariable("LISTEN_PID").toLongLong() == ::getpid();
  const bool one = qEnvironmentVariableIntValue("LISTEN_FDS") >= 1;
  qunsetenv("LISTEN_PID");
  qunsetenv("LISTEN_FDS");
  qunsetenv("LISTEN_FDNAMES");
  return ours && one ? 3 : -1;
}

// A data file next to the build (build/../data/NAME) or in the installed share folder.
QString dataFile(const QString& name) {
  const QDir bin(QCoreApplication::applicationDirPath());
  const QString installed = bin.absoluteFilePath(QStringLiteral("../share/quorel/") + name);
  for (const QString& path : {bin.absoluteFilePath(QStringLiteral("../data/") + name), installed}) {
    if (QFileInfo::exists(path)) return QDir::cleanPath(path);
  }
  return QDir::cleanPath(installed);
}

// A contact fit for a header: printable ASCII, no parentheses, not too long.
bool fitsUserAgent(const QString& contact) {
  if (contact.trimmed().isEmpty() || contact.size() > 200) return false;
  return std::all_of(contact.begin(), contact.end(), [](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'(' && c != u')';
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("quorel-vendor"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "The Quorel link server: answers the program's version and link-list requests, the "
      "click-through redirect, the image searches and the project's pages."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption listenOption(
      QStringLiteral("listen"), QStringLiteral("Address and port to listen on."),
      QStringLiteral("ADDRESS:PORT"), QStringLiteral("127.0.0.1:8480"));
  const QCommandLineOption linksOption(QStringLiteral("links"),
                                       QStringLiteral("The link list to hand out."),
                                       QStringLiteral("FILE"));
  const QCommandLineOption apiOption(
      QStringLiteral("commons-api"),
      QStringLiteral("The MediaWiki API the image searches ask (http_proxy is honoured)."),
      QStringLiteral("URL"), QStringLiteral("https://commons.wikimedia.org/w/api.php"));
  const QCommandLineOption contactOption(
      QStringLiteral("contact"),
      QStringLiteral("How the picture API's operators reach whoever runs this server: an e-mail "
                     "address or a web page, sent in the User-Agent. Set it when the server "
                     "serves others."),
      QStringLiteral("TEXT"));
  const QCommandLineOption widthOption(
      QStringLiteral("thumb-width"),
      QStringLiteral("The width of the thumbnails handed out, one of the image servers' steps."),
      QStringLiteral("N"), QString::number(link_server::kDefaultThumbWidth));
  const QCommandLineOption perMinuteOption(
      QStringLiteral("api-per-minute"),
      QStringLiteral("At most this many picture API requests in any 60 seconds."),
      QStringLiteral("N"), QStringLiteral("20"));
  const QCommandLineOption filterOption(
      QStringLiteral("filter"),
      QStringLiteral("The words and phrases that keep a picture out of the results (one a line)."),
      QStringLiteral("FILE"));
  const QCommandLineOption unfilteredOption(
      QStringLiteral("unfiltered"),
      QStringLiteral("Hand out every picture the API finds, whatever its subject."));
  parser.addOptions({listenOption, linksOption, apiOption, contactOption, widthOption,
                     perMinuteOption, filterOption, unfilteredOption});
  parser.process(app);

  QHostAddress address;
  quint16 port = 0;
  if (!parseListen(parser.value(listenOption), address, port)) {
    say(QStringLiteral("quorel-vendor: --listen wants ADDRESS:PORT, not \"%1\"")
            .arg(parser.value(listenOption)));
    return 2;
  }
  const QString linkFile = parser.isSet(linksOption)
                               ? parser.value(linksOption)
                               : dataFile(QStringLiteral("links/default.txt"));
  link_server::LinkList links;
  if (!loadLinks(linkFile, links)) return 1;

  const QUrl api(parser.value(apiOption), QUrl::StrictMode);
  if (!api.isValid() || (api.scheme() != u"http" && api.scheme() != u"https")) {
    say(QStringLiteral("quorel-vendor: --commons-api wants an http or https address, not \"%1\"")
            .arg(parser.value(apiOption)));
    return 2;
  }
  link_server::PictureApi::Options apiOptions;
  bool number = false;
  apiOptions.thumbWidth = parser.value(widthOption).toInt(&number);
  if (!number || !link_server::IsThumbStep(apiOptions.thumbWidth)) {
    QStringList steps;
    for (const int step : link_server::kThumbSteps) steps += QString::number(step);
    say(QStringLiteral("quorel-vendor: --thumb-width takes one of the image servers' widths, %1; "
                       "not \"%2\"")
            .arg(steps.join(QStringLiteral(", ")), parser.value(widthOption)));
    return 2;
  }
  apiOptions.perMinute = parser.value(perMinuteOption).toInt(&number);
  if (!number || apiOptions.perMinute < 1 || apiOptions.perMinute > 600) {
    say(QStringLiteral("quorel-vendor: --api-per-minute takes a number from 1 to 600, not \"%1\"")
            .arg(parser.value(perMinuteOption)));
    return 2;
  }
  if (parser.isSet(contactOption)) {
    apiOptions.contact = parser.value(contactOption).trimmed();
    if (!fitsUserAgent(apiOptions.contact)) {
      say(
          QStringLiteral("quorel-vendor: --contact takes an e-mail address or a web address in "
                         "plain ASCII, without parentheses"));
      return 2;
    }
  }
  if (parser.isSet(filterOption) && parser.isSet(unfilteredOption)) {
    say(QStringLiteral("quorel-vendor: --filter and --unfiltered exclude each other"));
    return 2;
  }
  std::optional<link_server::FamilyFilter> filter;
  QString filterFile;
  if (!parser.isSet(unfilteredOption)) {
    filterFile = parser.isSet(filterOption) ? parser.value(filterOption)
                                            : dataFile(QStringLiteral("filters/unsafe-words.txt"));
    QString error;
    filter = link_server::FamilyFilter::load(filterFile, &error);
    if (!filter) {
      say(QStringLiteral("quorel-vendor: %1 (--unfiltered runs without a filter)").arg(error));
      return 1;
    }
    apiOptions.filter = &*filter;
  }
  link_server::PictureApi pictures(api, apiOptions);
  link_server::SearchGateway search(pictures);
  link_server::ServerOptions options;
  options.maxConnections = connectionRoom(options.maxConnections);
  link_server::LinkServer server(links, options);
  server.setSearchGateway(&search);
  const int handedOver = systemdSocket();
  if (handedOver >= 0 ? !server.listen(handedOver) : !server.listen(address, port)) {
    say(QStringLiteral("quorel-vendor: cannot listen on %1: %2")
            .arg(parser.value(listenOption), server.errorString()));
    return 1;
  }
  say(QStringLiteral("quorel-vendor %1 listening on %2:%3, %4 links (%5 adult) from %6, "
                     "searching %7 for %8-pixel thumbnails, %9")
          .arg(QStringLiteral(QUOREL_VERSION), server.serverAddress().toString())
          .arg(server.serverPort())
          .arg(links.entries().size())
          .arg(links.count(true))
          .arg(linkFile, api.toString())
          .arg(apiOptions.thumbWidth)
          .arg(filter ? QStringLiteral("leaving out what %1 lists (%2 entries)")
                            .arg(filterFile)
                            .arg(filter->entries())
                      : QStringLiteral("unfiltered")));
  if (apiOptions.contact.isEmpty())
    say(
        QStringLiteral("quorel-vendor: no --contact: the picture API sees only the project's "
                       "page; set it when this server serves others"));

  quitOnSignals();

  // An edited list takes effect without a restart; a broken edit keeps the old list.
  QFileSystemWatcher watcher({linkFile});
  QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &server, [&](const QString& path) {
    link_server::LinkList fresh;
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
