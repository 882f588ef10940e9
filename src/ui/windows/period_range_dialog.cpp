#include "windows/period_range_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "period/period_search.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace lumenda::ui {

PeriodRangeDialog::PeriodRangeDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFDatoPer"));
  setWindowTitle(QStringLiteral("Lumenda - Cálculo de periodo"));
  setModal(true);

  minimum_ = new QLineEdit(QStringLiteral("0.10"), this);
  minimum_->setObjectName(QStringLiteral("meMinimo"));
  minimum_->setInputMask(QStringLiteral("9.99"));
  maximum_ = new QLineEdit(QStringLiteral("01.00"), this);
  maximum_->setObjectName(QStringLiteral("meMaximo"));
  maximum_->setInputMask(QStringLiteral("99.99"));
  increment_ = new QComboBox(this);
  increment_->setObjectName(QStringLiteral("cbIncremento"));
  for (const char* text : kIncrementTexts) increment_->addItem(QString::fromUtf8(text));
  increment_->setCurrentIndex(kDialogIncrementIndex);
  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("lbCiclos"));
  count_->setMinimumWidth(80);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Periodo mínimo:"), minimum_);
  form->addRow(QStringLiteral("Periodo máximo:"), maximum_);
  form->addRow(QStringLiteral("Incremento:"), increment_);
  form->addRow(QStringLiteral("Ciclos:"), count_);
  minimum_->setAccessibleName(QStringLiteral("Periodo mínimo"));
  maximum_->setAccessibleName(QStringLiteral("Periodo máximo"));
  increment_->setAccessibleName(QStringLiteral("Incremento"));

  accept_ = new QPushButton(QStringLiteral("Aceptar"), this);
  accept_->setObjectName(QStringLiteral("btAceptar"));
  accept_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
  cancel_->setObjectName(QStringLiteral("btCancelar"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(accept_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setLayout(layout);

  connect(minimum_, &QLineEdit::textChanged, this, &PeriodRangeDialog::Recount);
  connect(maximum_, &QLineEdit::textChanged, this, &PeriodRangeDialog::Recount);
  connect(increment_, &QComboBox::currentIndexChanged, this, &PeriodRangeDialog::Recount);
  connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool PeriodRangeDialog::Ask(const QString& minText, const QString& maxText) {
  minimum_->setText(minText);
  maximum_->setText(maxText);
  return exec() == QDialog::Accepted;
}

QString PeriodRangeDialog::MinText() const {
  return minimum_->text();
}
QString PeriodRangeDialog::MaxText() const {
  return maximum_->text();
}
int PeriodRangeDialog::IncrementIndex() const {
  return increment_->currentIndex();
}

void PeriodRangeDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Recount();
  minimum_->setFocus();
  minimum_->selectAll();
}

void PeriodRangeDialog::Recount() {
  // A field that does not convert keeps the last count on show.
  const std::optional<int> count =
      CountTrialPeriods(S(minimum_->text()), S(maximum_->text()),
                        kIncrements[std::clamp(increment_->currentIndex(), 0, 5)]);
  if (count) count_->setText(QString::number(*count));
}

void PeriodRangeDialog::done(int result) {
  if (result == QDialog::Accepted) {
    Recount();
    const RangeCheck check = CheckPeriodRange(S(minimum_->text()), S(maximum_->text()));
    if (!check.status.ok()) {
      Dialogs().Error(Q(check.status.message));
      QLineEdit* field = check.focus == RangeField::kMaximum ? maximum_ : minimum_;
      field->setFocus();
      return;
    }
  }
  QDialog::done(result);
}

}  // namespace lumenda::ui
