#include "ui/QtUserInteraction.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui {

namespace {
constexpr int kStatusHeight = 50;
constexpr int kStatusMargin = 10;
}  // namespace

class StatusWindow : public QWidget {
 public:
  StatusWindow()
      : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), label_(new QLabel(this)) {
    setObjectName("StatusWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    label_->setObjectName("pnlStatus");
    label_->setAlignment(Qt::AlignCenter);
    label_->setFrameShape(QFrame::Panel);
    label_->setFrameShadow(QFrame::Raised);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
  }

  void SetText(const std::string& text, bool centre) {
    label_->setText(ToQ(text));
    const int width = QFontMetrics(label_->font()).horizontalAdvance(label_->text()) + kStatusMargin;
    setFixedSize(width, kStatusHeight);
    if (centre) {
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width / 2, kStatusHeight / 2));
      }
    }
    show();
    raise();
    // The run holds the event loop: paint now, not when control returns.
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

  QString Text() const { return label_->text(); }

 private:
  QLabel* label_;
};

QtUserInteraction::QtUserInteraction() = default;
QtUserInteraction::~QtUserInteraction() = default;

void QtUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::Ok, QApplication::activeWindow());
  if (caption == "Error") box.setIcon(QMessageBox::Critical);
  ExecModal(box);
}

int QtUserInteraction::AskYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString(), ToQ(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setObjectName("AskYesNo");
  // Every question asks before something is removed or changed: Enter must not agree to it.
  box.setDefaultButton(QMessageBox::No);
  return ExecModal(box) == QMessageBox::Yes ? idYes : idNo;
}

int QtUserInteraction::AskRetryCancel(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Warning, ToQ(caption), ToQ(text), QMessageBox::Retry | QMessageBox::Cancel,
                  QApplication::activeWindow());
  return ExecModal(box) == QMessageBox::Retry ? idRetry : idCancel;
}

void QtUserInteraction::ShowStatus(const std::string& text) {
  status_ = std::make_unique<StatusWindow>();
  status_->SetText(text, true);
}

void QtUserInteraction::UpdateStatus(const std::string& text) {
  if (!status_) {
    ShowStatus(text);
    return;
  }
  status_->SetText(text, false);
}

void QtUserInteraction::HideStatus() {
  if (status_) {
    status_->hide();
    status_.reset();
  }
}

QWidget* QtUserInteraction::StatusWidget() const { return status_.get(); }

}  // namespace sw::ui
