#include "lockmere/shell/NotReadyWindow.h"

#include <QLabel>
#include <QVBoxLayout>

NotReadyWindow::NotReadyWindow(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
  setWindowTitle("Lockmere");
  label_->setText(tr("Lockmere is not ready yet: the fingerprint login and the site store are still being built."));
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  resize(420, 160);
}

QString NotReadyWindow::text() const { return label_->text(); }
