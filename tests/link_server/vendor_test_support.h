// Shared pieces of the link server's tests: the application, and requests over real HTTP.
#pragma once

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTest>
#include <memory>

namespace vendortest {

constexpr int kPatienceMs = 10'000;  // a failure guard only, never a measured time

struct Reply {
  int status = 0;
  QByteArray body, contentType, location;
};

// Redirects are not followed: the tests read them.
class Client {
 public:
  Client() {
    static int argc = 1;
    static char name[] = "test_link_server";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // lives until exit
    network_ = std::make_unique<QNetworkAccessManager>();
    network_->setProxy(QNetworkProxy::NoProxy);
  }
  QNetworkReply* send(const QString& url, const QByteArray& verb = "GET") {
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    return network_->sendCustomRequest(request, verb);
  }
  static Reply finish(QNetworkReply* started) {
    std::unique_ptr<QNetworkReply> reply(started);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, kPatienceMs));
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
            reply->rawHeader("Location")};
  }
  Reply fetch(const QString& url, const QByteArray& verb = "GET") {
    return finish(send(url, verb));
  }

 private:
  std::unique_ptr<QNetworkAccessManager> network_;
};

}  // namespace vendortest
