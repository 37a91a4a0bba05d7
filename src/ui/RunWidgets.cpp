#include "ui/RunWidgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QThread>
#include <QToolTip>

#include "ui/Binding.h"

namespace sw::ui {

QtRunHost::QtRunHost(QObject* parent) : QObject(parent) {}

QtRunHost::~QtRunHost() {
  // What the job would still deliver goes with this object; its thread goes here.
  WaitForWork();
  delete thread_;
}

void QtRunHost::RunInBackground(std::function<void()> work, std::function<void()> done) {
  QThread* thread = QThread::create(std::move(work));
  thread_ = thread;
  // Queued to this object's thread: after every task the work posted on its way.
  connect(thread, &QThread::finished, this, [this, thread, done = std::move(done)] {
    thread->wait();
    thread->deleteLater();
    if (thread_ == thread) thread_ = nullptr;
    done();
  }, Qt::QueuedConnection);
  thread->start();
}

void QtRunHost::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtRunHost::WaitForWork() {
  if (thread_) thread_->wait();
}

void Bind(TProgressBarModel& model, QProgressBar* bar) {
  bar->setObjectName(ToQ(model.Name));
  auto sync = [&model, bar] {
    bar->setRange(0, model.Max());
    bar->setValue(model.Position());
    bar->setEnabled(model.Enabled());
  };
  sync();
  model.OnModelChanged = sync;
}

void Bind(TPanelModel& model, QWidget* panel) {
  panel->setObjectName(ToQ(model.Name));
  auto sync = [&model, panel] { panel->setVisible(model.Visible()); };
  sync();
  model.OnModelChanged = sync;
}

CoverageDelegate::CoverageDelegate(std::function<TCoverageCell(int row)> cellOf, QObject* parent)
    : QStyledItemDelegate(parent), cellOf_(std::move(cellOf)) {}

void CoverageDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const TCoverageCell cell = cellOf_(index.row());
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  item.text.clear();
  QStyle* style = item.widget ? item.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
  if (cell.Known) {
    QStyleOptionProgressBar bar;
    bar.initFrom(item.widget);
    bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.minimum = 0;
    bar.maximum = 1000;
    bar.progress = static_cast<int>(cell.Percent() * 10 + 0.5);
    bar.text = ToQ(cell.Text());
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, item.widget);
  } else {
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, ToQ(cell.Text()));
    painter->restore();
  }
}

QSize CoverageDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
  return size;
}

bool CoverageDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
  if (event->type() == QEvent::ToolTip) {
    const QString details = ToQ(cellOf_(index.row()).Details());
    if (!details.isEmpty()) {
      QToolTip::showText(event->globalPos(), details, view);
      return true;
    }
  }
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace sw::ui
