#include "windows/ephemeris_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/text_file.h"

namespace lumenda::ui {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

EphemerisWindow::EphemerisWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFCalcEfe"));
  setWindowTitle(QStringLiteral("Lumenda - Cálculo de efemérides"));
  setModal(true);

  name_ = new QLabel(this);
  name_->setObjectName(QStringLiteral("lbNombre"));
  QFont bold = name_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  name_->setFont(bold);
  epoch_ = new QLabel(this);
  epoch_->setObjectName(QStringLiteral("lbEpoca"));
  period_ = new QLabel(this);
  period_->setObjectName(QStringLiteral("lbPeriodo"));
  phase_ = new QLineEdit(QStringLiteral("0.000"), this);
  phase_->setObjectName(QStringLiteral("meFase"));
  phase_->setInputMask(QStringLiteral("9.999"));
  phase_->setAccessibleName(QStringLiteral("Fase"));
  zero_ = MakeButton(this, "btCero", QStringLiteral("0"));
  zero_->setAccessibleName(QStringLiteral("Fase cero"));
  zero_->setMaximumWidth(32);
  start_ = new QLineEdit(QStringLiteral("00/00/0000"), this);
  start_->setObjectName(QStringLiteral("meFechaInicial"));
  start_->setInputMask(QStringLiteral("99/99/9999"));
  start_->setAccessibleName(QStringLiteral("Fecha inicial"));
  end_ = new QLineEdit(QStringLiteral("00/00/0000"), this);
  end_->setObjectName(QStringLiteral("meFechaFinal"));
  end_->setInputMask(QStringLiteral("99/99/9999"));
  end_->setAccessibleName(QStringLiteral("Fecha final"));

  list_ = new QPlainTextEdit(this);
  list_->setObjectName(QStringLiteral("mmLista"));
  list_->setReadOnly(true);
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setAccessibleName(QStringLiteral("Efemérides"));
  list_->setLineWrapMode(QPlainTextEdit::NoWrap);

  calculate_ = MakeButton(this, "btCalcular", QStringLiteral("Calcular"));
  calculate_->setDefault(true);
  copy_ = MakeButton(this, "btCopiar", QStringLiteral("Copiar"));
  save_ = MakeButton(this, "btGuardar", QStringLiteral("Guardar como..."));

  auto* fields = new QGridLayout;
  auto label = [this](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    if (buddy) l->setBuddy(buddy);
    return l;
  };
  fields->addWidget(label(QStringLiteral("Epoca:"), nullptr), 0, 0);
  fields->addWidget(epoch_, 0, 1, 1, 2);
  fields->addWidget(label(QStringLiteral("Periodo:"), nullptr), 1, 0);
  fields->addWidget(period_, 1, 1, 1, 2);
  fields->addWidget(label(QStringLiteral("Fase:"), phase_), 2, 0);
  fields->addWidget(phase_, 2, 1);
  fields->addWidget(zero_, 2, 2);
  fields->addWidget(label(QStringLiteral("Fecha inicial:"), start_), 3, 0);
  fields->addWidget(start_, 3, 1, 1, 2);
  fields->addWidget(label(QStringLiteral("Fecha final:"), end_), 4, 0);
  fields->addWidget(end_, 4, 1, 1, 2);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(calculate_);
  buttons->addWidget(copy_);
  buttons->addWidget(save_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name_);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  layout->addWidget(list_, 1);
  resize(360, 520);

  connect(zero_, &QPushButton::clicked, this, [this] { phase_->setText(QStringLiteral("0.000")); });
  connect(calculate_, &QPushButton::clicked, this, &EphemerisWindow::Calculate);
  connect(copy_, &QPushButton::clicked, this, &EphemerisWindow::Copy);
  connect(save_, &QPushButton::clicked, this, &EphemerisWindow::SaveAs);
}

void EphemerisWindow::Fill(const EphemerisInput& input) {
  name_->setText(Q(input.starName));
  epoch_->setText(Q(input.epochText));
  period_->setText(Q(input.periodText));
  phase_->setText(Q(input.phaseText));
}

void EphemerisWindow::Open(const EphemerisInput& input) {
  Fill(input);
  exec();
}

void EphemerisWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  list_->clear();
  if (start_->text().startsWith(QStringLiteral("00"))) {
    const double today = QDate(1899, 12, 30).daysTo(QDate::currentDate());
    const auto [from, to] = DefaultEphemerisDates(today);
    start_->setText(Q(from));
    end_->setText(Q(to));
  }
  start_->setFocus();
}

EphemerisInput EphemerisWindow::Input() const {
  EphemerisInput input;
  input.starName = S(name_->text());
  input.epochText = S(epoch_->text());
  input.periodText = S(period_->text());
  input.phaseText = S(phase_->text());
  input.startText = S(start_->text());
  input.endText = S(end_->text());
  return input;
}

void EphemerisWindow::Calculate() {
  const EphemerisResult result = ComputeEphemeris(Input());
  if (!result.ok()) {
    Dialogs().Error(Q(result.message));
    if (result.focus == EphemerisField::kStart) start_->setFocus();
    if (result.focus == EphemerisField::kEnd) end_->setFocus();
    if (result.focus == EphemerisField::kPhase) phase_->setFocus();
    return;
  }
  list_->setPlainText(Q(result.lines).join(QLatin1Char('\n')));
}

void EphemerisWindow::Copy() {
  list_->selectAll();
  QApplication::clipboard()->setText(list_->toPlainText());
}

void EphemerisWindow::SaveAs() {
  const QString path =
      Dialogs().SaveFile({QStringLiteral("Guardar efemérides"), QString(), QString(),
                          QStringLiteral("Archivos de texto (*.txt)"), QStringLiteral("txt")});
  if (path.isEmpty()) return;
  const QString text = list_->toPlainText();
  const Status written = WriteFileAtomic(
      S(path), text.isEmpty() ? std::string() : JoinLines(S(text.split(QLatin1Char('\n')))));
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

}  // namespace lumenda::ui
