#pragma once

#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QString>

// Dragging a piece of text (an ID, a password) into any field of any program,
// as if the user had typed it. The text travels only in the drag: it never goes
// to the clipboard or to the selection.

// The drag's data: plain text and nothing else, wiped when the drag is done.
class TMyDataObject : public QMimeData {
  Q_OBJECT

 public:
  explicit TMyDataObject(const QString& text);
  ~TMyDataObject() override;

  bool hasFormat(const QString& mimeType) const override;
  QStringList formats() const override;

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  QByteArray utf8_;
};

class TDragTextComp : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString DropText READ dropText WRITE setDropText)

 public:
  // Results of ExecuteDrag.
  static constexpr int kDropError = 0;
  static constexpr int kDropNone = 1;  // cancelled, refused, or ended with another effect than a copy
  static constexpr int kDropCopied = 2;

  // A drag must move further than this in both directions before it starts.
  static constexpr int kStartDistance = 4;

  // owner is the drag's source and frees the component with itself.
  explicit TDragTextComp(QObject* owner);
  ~TDragTextComp() override;  // wipes the text

  QString dropText() const { return dropText_; }
  void setDropText(const QString& text);

  // Runs the drag until it is dropped or cancelled: kDropCopied when the text
  // was dropped with a copy, kDropNone when it was cancelled, refused or
  // ended otherwise, kDropError when no drag could run.
  int ExecuteDrag();

  // True when a move from press to now starts a drag: both the horizontal and
  // the vertical distance exceed kStartDistance.
  static bool startsDrag(const QPoint& press, const QPoint& now);

 private:
  QString dropText_;
};
