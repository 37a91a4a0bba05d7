#include "ui/RulesEditor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/Binding.h"
#include "ui/ModalDialogs.h"

namespace sw::ui {

RulesEditor::RulesEditor(TRulesEditorLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  BindWindowTitle(logic.dlgRules, this);

  auto* body = new QWidget(this);
  auto* lblScope = Bound<QLabel>(logic.lblScope, body);
  lblScope->setWordWrap(true);

  auto* lvRules = Bound<ListViewWidget>(logic.lvRules, body);
  lvRules->setRootIsDecorated(false);
  lvRules->setMinimumHeight(80);
  auto* listButtons = new QVBoxLayout;
  for (TButtonModel* model : {&logic.btUp, &logic.btDown, &logic.btRemove, &logic.btDefaults})
    listButtons->addWidget(BoundButton(*model, body, false));
  listButtons->addStretch();
  auto* list = new QHBoxLayout;
  list->addWidget(lvRules, 1);
  list->addLayout(listButtons);

  auto* cbKind = Bound<QComboBox>(logic.cbKind, body);
  cbKind->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbKind->setMinimumContentsLength(12);
  auto* edMask = Bound<QLineEdit>(logic.edMask, body);
  edMask->setPlaceholderText(".Caption, TLabel.Caption, MainForm.*");
  auto* btAdd = BoundButton(logic.btAdd, body, false);
  auto* btChange = BoundButton(logic.btChange, body, false);
  connect(edMask, &QLineEdit::returnPressed, this, [&logic] {
    if (logic.btAdd.Enabled()) logic.btAdd.Click();
  });
  auto* lblRuleError = new QLabel(body);
  BindNote(logic.lblRuleError, lblRuleError);
  auto* rule = new QGridLayout;
  rule->addWidget(BoundLabel(logic.lblKind, cbKind, body), 0, 0);
  rule->addWidget(cbKind, 0, 1);
  rule->addWidget(BoundLabel(logic.lblMask, edMask, body), 0, 2);
  rule->addWidget(edMask, 0, 3);
  rule->addWidget(btAdd, 0, 4);
  rule->addWidget(btChange, 0, 5);
  rule->addWidget(lblRuleError, 1, 0, 1, 6);
  rule->setColumnStretch(3, 1);

  auto* gbTest = new QGroupBox("Test", body);
  gbTest->setObjectName("gbTest");
  auto* edTestPath = Bound<QLineEdit>(logic.edTestPath, gbTest);
  auto* edTestClass = Bound<QLineEdit>(logic.edTestClass, gbTest);
  edTestClass->setPlaceholderText("TPanel");
  auto* lblTestResult = Bound<QLabel>(logic.lblTestResult, gbTest);
  lblTestResult->setWordWrap(true);
  lblTestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* test = new QGridLayout(gbTest);
  test->addWidget(BoundLabel(logic.lblTestPath, edTestPath, gbTest), 0, 0);
  test->addWidget(edTestPath, 0, 1);
  test->addWidget(BoundLabel(logic.lblTestClass, edTestClass, gbTest), 0, 2);
  test->addWidget(edTestClass, 0, 3);
  test->addWidget(lblTestResult, 1, 0, 1, 4);
  test->setColumnStretch(1, 3);
  test->setColumnStretch(3, 1);

  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(0, 0, 0, 0);
  bodyLayout->addWidget(lblScope);
  bodyLayout->addLayout(list, 1);
  bodyLayout->addLayout(rule);
  bodyLayout->addWidget(gbTest);

  // Enter in the mask adds the rule: it never closes the dialog.
  QHBoxLayout* buttons = OkCancelRow(this, logic.btOK, logic.btCancel, false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ScrollingBody(body, this), 1);
  layout->addLayout(buttons);
  resize(680, 520);
}

RulesEditor::~RulesEditor() {
  // The logic outlives the dialog: nothing may reach these widgets afterwards.
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
  for (TControlModel* model : std::initializer_list<TControlModel*>{
           &logic_.dlgRules, &logic_.lblScope, &logic_.lvRules, &logic_.lblKind, &logic_.cbKind, &logic_.lblMask,
           &logic_.edMask, &logic_.btAdd, &logic_.btChange, &logic_.btRemove, &logic_.btUp, &logic_.btDown,
           &logic_.btDefaults, &logic_.lblRuleError, &logic_.lblTestPath, &logic_.edTestPath, &logic_.lblTestClass,
           &logic_.edTestClass, &logic_.lblTestResult, &logic_.btOK, &logic_.btCancel})
    Unbind(*model);
}

}  // namespace sw::ui
