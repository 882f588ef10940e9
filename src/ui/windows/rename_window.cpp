#include "windows/rename_window.h"

#include <QGridLayout>
#include <QLabel>

#include "curves/data_editing.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace lumenda::ui {

RenameWindow::RenameWindow(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFCambiaVar"));
  setWindowTitle(QStringLiteral("Lumenda - Nombres de variables"));
  setModal(true);
  listBox1_ = new QListWidget(this);
  listBox1_->setObjectName(QStringLiteral("ListBox1"));
  listBox1_->setAccessibleName(QStringLiteral("Nombres de las variables"));
  listBox1_->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
  edit1_ = new QLineEdit(this);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setAccessibleName(QStringLiteral("Nombre nuevo"));
  edit1_->setMaxLength(12);
  button2_ = new QPushButton(QStringLiteral("Cambiar"), this);
  button2_->setObjectName(QStringLiteral("Button2"));
  button1_ = new QPushButton(QStringLiteral("Aplicar cambios"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  auto* label = new QLabel(QStringLiteral("Nombre:"), this);
  label->setBuddy(edit1_);

  auto* grid = new QGridLayout(this);
  grid->addWidget(listBox1_, 0, 0, 1, 3);
  grid->addWidget(label, 1, 0);
  grid->addWidget(edit1_, 1, 1);
  grid->addWidget(button2_, 1, 2);
  grid->addWidget(button1_, 2, 0, 1, 3);
  resize(320, 360);

  // What is typed turns upper case and stops at 12 characters.
  connect(edit1_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const QString kept = Q(RenameEditText(S(text)));
    if (kept != text) {
      const int at = edit1_->cursorPosition();
      edit1_->setText(kept);
      edit1_->setCursorPosition(std::min(at, static_cast<int>(kept.size())));
    }
  });
  connect(listBox1_, &QListWidget::itemClicked, this, [this] { NameChosen(); });
  connect(button2_, &QPushButton::clicked, this, [this] { Change(); });
  connect(button1_, &QPushButton::clicked, this, [this] { Apply(); });
}

void RenameWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  button1_->setEnabled(false);
  button2_->setEnabled(false);
  previous_ = session_.run.results.lbNomVar;
  listBox1_->clear();
  listBox1_->addItems(Q(previous_));
  edit1_->clear();
  edited_ = -1;
}

void RenameWindow::NameChosen() {
  edited_ = -1;
  const int row = listBox1_->currentRow();
  if (row < 0) return;
  edit1_->setText(listBox1_->item(row)->text());
  edit1_->setFocus();
  button2_->setEnabled(true);
  edited_ = row;
}

void RenameWindow::Change() {
  if (edited_ < 0) return;
  listBox1_->item(edited_)->setText(edit1_->text());
  button1_->setEnabled(true);
}

void RenameWindow::Apply() {
  std::vector<std::string> names;
  for (int i = 0; i < listBox1_->count(); ++i) names.push_back(S(listBox1_->item(i)->text()));
  const Status applied = ApplyRenames(session_, previous_, names);
  if (!applied.ok()) Dialogs().Error(Q(applied.message));
  accept();
}

}  // namespace lumenda::ui
