// A second program for the drag tests: a text field that takes text drops and
// a field that takes only file drops, placed at the position given on the
// command line. It reports on stdout, one line each:
//   READY fx fy fw fh ux uy uw uh   the two fields' places on the screen
//   TEXT <base64>                   the text field's new text
//   FILEDROP                        something was dropped on the file field
//   CLIP <base64> <base64>          answer to "clip": clipboard and selection
// and reads "clip", "clear" and "quit" on stdin.
#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

void say(const QByteArray& line) {
  std::fputs(line.constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

QByteArray rectOf(QWidget* w) {
  const QPoint p = w->mapToGlobal(QPoint(0, 0));
  return QByteArray::number(p.x()) + ' ' + QByteArray::number(p.y()) + ' ' + QByteArray::number(w->width()) + ' ' +
         QByteArray::number(w->height());
}

class FilesOnly : public QLabel {
 public:
  FilesOnly() : QLabel("files only") {
    setAcceptDrops(true);
    setMinimumSize(200, 60);
    setFrameStyle(QFrame::Box);
  }

 protected:
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->mimeData()->hasUrls())
      e->acceptProposedAction();
    else
      e->ignore();
  }
  void dropEvent(QDropEvent* e) override {
    say("FILEDROP");
    e->acceptProposedAction();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int x = argc > 2 ? std::atoi(argv[1]) : 500;
  const int y = argc > 2 ? std::atoi(argv[2]) : 100;
  QWidget window;
  window.setWindowTitle("receiver");
  auto* layout = new QVBoxLayout(&window);
  auto* field = new QLineEdit;
  field->setMinimumWidth(300);
  auto* files = new FilesOnly;
  layout->addWidget(field);
  layout->addWidget(files);
  QObject::connect(field, &QLineEdit::textChanged, [](const QString& text) {
    if (!text.isEmpty()) say("TEXT " + text.toUtf8().toBase64());
  });
  window.move(x, y);
  window.show();
  QTimer::singleShot(400, [&] { say("READY " + rectOf(field) + ' ' + rectOf(files)); });

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[64] = {};
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer - 1);
    const QByteArray commands(buffer, n > 0 ? static_cast<int>(n) : 0);
    if (n <= 0 || commands.contains("quit")) app.quit();
    if (commands.contains("clear")) field->clear();
    if (commands.contains("clip")) {
      QClipboard* c = QApplication::clipboard();
      say("CLIP " + c->text(QClipboard::Clipboard).toUtf8().toBase64() + ' ' +
          c->text(QClipboard::Selection).toUtf8().toBase64());
    }
  });
  return app.exec();
}
