#include "ui/ModalDialogs.h"

#include <QDialog>
#include <utility>

namespace sw::ui {

namespace {
ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}
}  // namespace

ModalHook SetModalHook(ModalHook hook) { return std::exchange(Hook(), std::move(hook)); }

int ExecModal(QDialog& dialog) {
  // A copy: the hook may install another one while it runs.
  const ModalHook hook = Hook();
  if (hook) return hook(dialog);
  return dialog.exec();
}

}  // namespace sw::ui
