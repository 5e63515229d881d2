#include "lockmere/widgets/DragTextComp.h"

#include <QDrag>
#include <QGuiApplication>
#include <cstdlib>
#include <exception>

#include "lockmere/widgets/WipeText.h"

namespace {

const QString kTextPlain = QStringLiteral("text/plain");

// One drag at a time: a second would find the platform's drag busy.
bool g_dragRunning = false;

}  // namespace

TMyDataObject::TMyDataObject(const QString& text) : utf8_(text.toUtf8()) {}

TMyDataObject::~TMyDataObject() { widgets::wipe(utf8_); }

bool TMyDataObject::hasFormat(const QString& mimeType) const { return mimeType == kTextPlain; }

QStringList TMyDataObject::formats() const { return {kTextPlain}; }

QVariant TMyDataObject::retrieveData(const QString& mimeType, QMetaType) const {
  if (mimeType != kTextPlain) return {};
  // A deep copy, so that the bytes held here stay unshared and are wiped.
  return QByteArray(utf8_.constData(), utf8_.size());
}

TDragTextComp::TDragTextComp(QObject* owner) : QObject(owner) {}

TDragTextComp::~TDragTextComp() { widgets::wipe(dropText_); }

void TDragTextComp::setDropText(const QString& text) {
  widgets::wipe(dropText_);
  dropText_ = QString(text.constData(), text.size());
}

int TDragTextComp::ExecuteDrag() {
  QObject* source = parent();
  if (!source || g_dragRunning || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return kDropError;
  try {
    // Qt frees the drag object when the drag is over.
    auto* drag = new QDrag(source);
    drag->setMimeData(new TMyDataObject(dropText_));
    g_dragRunning = true;
    const Qt::DropAction action = drag->exec(Qt::CopyAction);
    g_dragRunning = false;
    return action == Qt::CopyAction ? kDropCopied : kDropNone;
  } catch (const std::exception&) {
    g_dragRunning = false;
    return kDropError;
  }
}

bool TDragTextComp::startsDrag(const QPoint& press, const QPoint& now) {
  return std::abs(now.x() - press.x()) > kStartDistance && std::abs(now.y() - press.y()) > kStartDistance;
}
