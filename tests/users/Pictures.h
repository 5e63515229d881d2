#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Pictures of the windows for looking at them, and the check that every text
// a window shows fits its control.
namespace windowtest {

// Saves the window as <build>/pictures/<area>/<name>-<ko|ja>.png (the language
// the texts are in now); returns the path.
QString savePicture(QWidget& window, const QString& area, const QString& name);

// The visible labels, buttons, boxes and group titles whose text is cut
// (narrower or lower than the text needs), named "objectName: text".
QStringList clippedTexts(QWidget& window);

}  // namespace windowtest
