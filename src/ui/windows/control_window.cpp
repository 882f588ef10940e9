#include "windows/control_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/text.h"

namespace lumenda::ui {

ControlWindow::ControlWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFControl"));
  setWindowTitle(QStringLiteral("Lumenda - Control"));
  setModal(true);
  auto* caption = new QLabel(QStringLiteral("Pérdida de linealidad en:"));
  caption->setObjectName(QStringLiteral("Label1"));
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("ListBox1"));
  list_->setAccessibleName(caption->text());
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setMinimumSize(420, 260);
  caption->setBuddy(list_);
  auto* accept = new QPushButton(QStringLiteral("Aceptar"));
  accept->setObjectName(QStringLiteral("bAceptar"));
  accept->setDefault(true);
  connect(accept, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption);
  layout->addWidget(list_, 1);
  layout->addLayout(bottom);
}

void ControlWindow::SetReport(const std::vector<std::string>& lines) {
  list_->clear();
  list_->addItems(Q(lines));
}

}  // namespace lumenda::ui
