#include <QApplication>

#include "lockmere/shell/NotReadyWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Lockmere");
  NotReadyWindow window;
  window.show();
  return app.exec();
}
