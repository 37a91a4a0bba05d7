#include "ui/QtUserInteraction.h"

#include <QApplication>

#include <functional>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
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

namespace {

bool OnInterfaceThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

// Runs `ask` on the interface thread and waits for its answer: a run on a
// worker thread asks its questions (the save-retry prompt) through here.
int OnInterfaceThreadBlocking(const std::function<int()>& ask) {
  if (OnInterfaceThread()) return ask();
  int answer = 0;
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace

QtUserInteraction::QtUserInteraction() = default;
QtUserInteraction::~QtUserInteraction() = default;

void QtUserInteraction::ShowMessage(const std::string& caption, const std::string& text) {
  if (!OnInterfaceThread()) {
    OnInterfaceThreadBlocking([&] {
      ShowMessage(caption, text);
      return 0;
    });
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, ToQ(caption), ToQ(text), QMessageBox::Ok, QApplication::activeWindow());
  if (caption == "Error") box.setIcon(QMessageBox::Critical);
  ExecModal(box);
}

int QtUserInteraction::AskYesNo(const std::string& text) {
  if (!OnInterfaceThread()) return OnInterfaceThreadBlocking([&] { return AskYesNo(text); });
  QMessageBox box(QMessageBox::Question, QString(), ToQ(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setObjectName("AskYesNo");
  // Every question asks before something is removed or changed: Enter must not agree to it.
  box.setDefaultButton(QMessageBox::No);
  return ExecModal(box) == QMessageBox::Yes ? idYes : idNo;
}

int QtUserInteraction::AskRetryCancel(const std::string& caption, const std::string& text) {
  if (!OnInterfaceThread()) return OnInterfaceThreadBlocking([&] { return AskRetryCancel(caption, text); });
  QMessageBox box(QMessageBox::Warning, ToQ(caption), ToQ(text), QMessageBox::Retry | QMessageBox::Cancel,
                  QApplication::activeWindow());
  return ExecModal(box) == QMessageBox::Retry ? idRetry : idCancel;
}

// A run on a worker thread shows its progress in the window that started it;
// the status window is for work that holds the interface thread.
void QtUserInteraction::ShowStatus(const std::string& text) {
  if (!OnInterfaceThread()) return;
  status_ = std::make_unique<StatusWindow>();
  status_->SetText(text, true);
}

void QtUserInteraction::UpdateStatus(const std::string& text) {
  if (!OnInterfaceThread()) return;
  if (!status_) {
    ShowStatus(text);
    return;
  }
  status_->SetText(text, false);
}

void QtUserInteraction::HideStatus() {
  if (!OnInterfaceThread()) return;
  if (status_) {
    status_->hide();
    status_.reset();
  }
}

QWidget* QtUserInteraction::StatusWidget() const { return status_.get(); }

}  // namespace sw::ui
