#include "ui/ModalDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>
#include <utility>

namespace sw::ui {

namespace {
ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}

// What a window manager's frame usually takes before the window is first
// shown and its real frame is known: a title bar and thin borders.
constexpr QMargins kFrameAllowance(8, 32, 8, 8);
}  // namespace

ModalHook SetModalHook(ModalHook hook) { return std::exchange(Hook(), std::move(hook)); }

int ExecModal(QDialog& dialog) {
  if (!qobject_cast<QFileDialog*>(&dialog) && !qobject_cast<QMessageBox*>(&dialog)) FitToScreen(dialog);
  // A copy: the hook may install another one while it runs.
  const ModalHook hook = Hook();
  if (hook) return hook(dialog);
  return dialog.exec();
}

void FitToScreen(QWidget& window) {
  QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
  QScreen* screen = parent && parent->screen() ? parent->screen() : window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  if (window.layout()) window.layout()->activate();
  // A window never resized by its code opens at the size its layout asks for.
  if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
  const QRect area = screen->availableGeometry();
  const bool framed = window.isVisible() && window.frameGeometry() != window.geometry();
  const QMargins frame = framed ? QMargins(window.geometry().left() - window.frameGeometry().left(),
                                           window.geometry().top() - window.frameGeometry().top(),
                                           window.frameGeometry().right() - window.geometry().right(),
                                           window.frameGeometry().bottom() - window.geometry().bottom())
                                : kFrameAllowance;
  const QRect free = area.marginsRemoved(frame);
  const QSize size = window.size().boundedTo(free.size()).expandedTo(window.minimumSize());
  if (size != window.size()) window.resize(size);
  QPoint topLeft = parent ? parent->geometry().center() - QPoint(size.width() / 2, size.height() / 2)
                          : free.center() - QPoint(size.width() / 2, size.height() / 2);
  topLeft.setX(std::clamp(topLeft.x(), free.left(), std::max(free.left(), free.right() + 1 - size.width())));
  topLeft.setY(std::clamp(topLeft.y(), free.top(), std::max(free.top(), free.bottom() + 1 - size.height())));
  window.move(topLeft - QPoint(frame.left(), frame.top()));
}

QScrollArea* ScrollingBody(QWidget* content, QWidget* parent) {
  auto* scroll = new QScrollArea(parent);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // A scroll area takes the focus by default, but shows none: no Tab stop.
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidget(content);
  return scroll;
}

}  // namespace sw::ui
