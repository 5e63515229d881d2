#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>

#include "lockmere/web/BrowserLauncher.h"

// Helpers of the frame's tests: answering the frame's modal boxes, and a
// browser stand-in that sends the frame's requests over HTTP to a server of
// the test, so that the test sees the bytes a site would receive.
namespace frametest {

// What a modal box showed.
struct Shown {
  QString title;
  QString text;
};

// Answers still waiting belong to the test that set them up; a new
// generation drops them.
inline int& answerGeneration() {
  static int generation = 0;
  return generation;
}
inline void dropPendingAnswers() { ++answerGeneration(); }

// Waits (without blocking) for the next modal box and hands it to act.
inline void answerNextModal(std::function<void(QWidget*)> act, int tries = 250) {
  const int generation = answerGeneration();
  QTimer::singleShot(20, [act = std::move(act), tries, generation]() mutable {
    if (generation != answerGeneration()) return;
    if (QWidget* w = QApplication::activeModalWidget()) {
      act(w);
      return;
    }
    if (tries > 0) answerNextModal(std::move(act), tries - 1);
  });
}

// Presses button on the next message box and records it into shown.
inline void answerMessage(Shown* shown, QMessageBox::StandardButton button = QMessageBox::Ok) {
  answerNextModal([shown, button](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return;
    *shown = {box->windowTitle(), box->text()};
    box->button(button)->click();
  });
}

// Types answer into the next input box and presses OK (or cancels when answer
// is null), recording title and prompt.
inline void answerInput(Shown* shown, const QString& answer) {
  answerNextModal([shown, answer](QWidget* w) {
    auto* box = qobject_cast<QInputDialog*>(w);
    if (!box) return;
    *shown = {box->windowTitle(), box->labelText()};
    if (answer.isNull()) {
      box->reject();
      return;
    }
    box->setTextValue(answer);
    box->accept();
  });
}

// One HTTP request as the server read it.
struct Request {
  QByteArray method;
  QByteArray target;  // path and query
  QByteArray contentType;
  QByteArray body;
};

// A server on 127.0.0.1 that records every request and answers 200.
class HttpSink : public QObject {
 public:
  HttpSink() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
          buffer->append(s->readAll());
          Request r;
          if (!parse(*buffer, &r)) return;
          requests.push_back(r);
          s->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
          s->disconnectFromHost();
        });
      }
    });
  }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
  }

  std::vector<Request> requests;

 private:
  static bool parse(const QByteArray& raw, Request* r) {
    const qsizetype end = raw.indexOf("\r\n\r\n");
    if (end < 0) return false;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    if (first.size() < 2) return false;
    r->method = first[0];
    r->target = first[1];
    qsizetype length = 0;
    for (const QByteArray& line : lines) {
      const qsizetype colon = line.indexOf(':');
      if (colon < 0) continue;
      const QByteArray name = line.left(colon).trimmed().toLower();
      const QByteArray value = line.mid(colon + 1).trimmed();
      if (name == "content-length") length = value.toLongLong();
      if (name == "content-type") r->contentType = value;
    }
    if (raw.size() < end + 4 + length) return false;
    r->body = raw.mid(end + 4, length);
    return true;
  }

  QTcpServer server_;
};

// Stands in for the program's browser: each window it "opens" is one request.
class HttpLauncher : public web::BrowserLauncher {
 public:
  void openInNewWindow(const QString& url) override { finish(net_.get(QNetworkRequest(QUrl(url)))); }
  void postInNewWindow(const QString& url, const QByteArray& formBody) override {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    finish(net_.post(request, formBody));
  }
  int opened = 0;

 private:
  void finish(QNetworkReply* reply) {
    ++opened;
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
  }
  QNetworkAccessManager net_;
};

}  // namespace frametest
