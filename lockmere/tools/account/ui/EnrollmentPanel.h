#pragma once

#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

#include "lockmere/store/TemplateRecords.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "ridgecore/ridgecore.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace bio {
class RecordSearch;
class TNimbraMSDK;
class TNimbraUtil;
}  // namespace bio

namespace account::ui {

// Fingerprint enrollment at the sensor, for the new-user and the fingerprint
// change windows: one or more fingers, three impressions each, through the
// window's own binding and fingerprint utility (EnrollStart), with the live
// preview and a text for every state of the sensor and every refusal of the
// enrollment rule. A finger that is enrolled already (here, or for another
// user) is refused, so that a fingerprint names one user only.
class EnrollmentPanel : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(int fingerCount READ fingerCount NOTIFY fingersChanged)
  Q_PROPERTY(int impressions READ impressions NOTIFY progressChanged)
  Q_PROPERTY(bool enrolling READ isEnrolling NOTIFY progressChanged)
  Q_PROPERTY(QString status READ status NOTIFY progressChanged)

 public:
  explicit EnrollmentPanel(QWidget* parent = nullptr);
  ~EnrollmentPanel() override;

  // Records whose fingers must not be enrolled again (the other users').
  void setEnrolledElsewhere(store::TemplateRecords records);

  // The enrolled fingers with the security level given to each template
  // (VD_SetSecurityLevel through the binding).
  std::vector<tagENROLL> fingers(int level) const;
  int fingerCount() const { return static_cast<int>(fingers_.size()); }
  // Impressions of the finger being enrolled that are in (0..2).
  int impressions() const { return enrolling_ ? slot_ - 1 : 0; }
  bool isEnrolling() const { return enrolling_; }
  QString status() const;

 public slots:
  void addFinger();
  void removeSelected();
  void stopEnrolling();

 signals:
  void fingersChanged();
  void progressChanged();

 private:
  enum class Sensor { Ready, NoLibrary, NoDriver, NoSensor };

  void checkSensor();
  void waitForSensor();
  void startSlot();
  void onEnrolled(int number);
  void onEnrollError(int number, int code);
  void finishFinger();
  void setStatus(const QString& text, bool problem = false);
  void refreshPreview();
  void refreshButtons();

  std::unique_ptr<bio::TNimbraMSDK> sdk_;
  std::unique_ptr<bio::TNimbraUtil> util_;
  std::unique_ptr<bio::RecordSearch> search_;
  Sensor sensor_ = Sensor::Ready;
  tagENROLL current_{};
  int slot_ = 1;  // the impression being taken, 1..3
  bool enrolling_ = false;
  bool liftedSinceAccepted_ = false;
  QElapsedTimer lastRefusal_;
  std::array<unsigned char, RIDGECORE_PREVIEW_SIZE> preview_{};
  std::vector<tagENROLL> fingers_;
  store::TemplateRecords elsewhere_;

  QLabel* previewLabel_;
  QLabel* steps_;
  QLabel* status_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* stop_;
};

}  // namespace account::ui
