#include "windows/aavso_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "curves/aavso_report.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "widgets/small_controls.h"

namespace lumenda::ui {

AavsoDialog::AavsoDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFAavso"));
  setWindowTitle(QStringLiteral("Lumenda - Informe AAVSO"));
  setModal(true);
  auto* form = new QFormLayout();
  auto edit = [&](const char* name, const QString& caption) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(caption);
    ForceUpperCase(e);
    form->addRow(caption, e);
    return e;
  };
  edit1_ = edit("Edit1", QStringLiteral("OBSCODE"));
  edit2_ = edit("Edit2", QStringLiteral("STARID"));
  edit3_ = edit("Edit3", QStringLiteral("CNAME"));
  edit4_ = edit("Edit4", QStringLiteral("KNAME"));
  comboBox1_ = new QComboBox(this);
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  comboBox1_->setAccessibleName(QStringLiteral("FILTER"));
  for (const char* filter : kAavsoFilters) comboBox1_->addItem(QString::fromUtf8(filter));
  form->addRow(QStringLiteral("FILTER"), comboBox1_);
  edit6_ = edit("Edit6", QStringLiteral("GROUP"));
  edit5_ = edit("Edit5", QStringLiteral("CHART"));

  auto* ok = new QPushButton(QStringLiteral("Aceptar"), this);
  ok->setObjectName(QStringLiteral("Button1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancelar"), this);
  cancel->setObjectName(QStringLiteral("Button2"));
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setMinimumWidth(340);
  connect(ok, &QPushButton::clicked, this, [this] { Accept(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

AavsoFields AavsoDialog::Fields() const {
  AavsoFields f = session_.reports.aavso;
  f.obscode = S(edit1_->text());
  f.starId = S(edit2_->text());
  f.cname = S(edit3_->text());
  f.kname = S(edit4_->text());
  f.filter = comboBox1_->currentIndex();
  f.group = S(edit6_->text());
  f.chart = S(edit5_->text());
  return f;
}

bool AavsoDialog::Ask() {
  Fill();
  return exec() == QDialog::Accepted;
}

void AavsoDialog::Fill() {
  AavsoFields& f = session_.reports.aavso;
  f.obscode = session_.settings.aObscode;
  f.chart = session_.settings.aChart;
  f.filter = session_.settings.aFilter;
  PrefillAavsoFields(f, Variable1Name(session_.run.results, session_.graph),
                     Variable2Name(session_.run.results, session_.graph),
                     session_.curves.curve.EnsembleFlag);
  edit1_->setText(Q(f.obscode));
  edit2_->setText(Q(f.starId));
  edit3_->setText(Q(f.cname));
  edit3_->setEnabled(f.cnameEnabled);
  edit4_->setText(Q(f.kname));
  edit4_->setEnabled(f.knameEnabled);
  comboBox1_->setCurrentIndex(std::clamp(f.filter, 0, comboBox1_->count() - 1));
  edit6_->setText(Q(f.group));
  edit5_->setText(Q(f.chart));
  edit1_->setFocus();
}

void AavsoDialog::Accept() {
  const AavsoFields f = Fields();
  const LightCurve& curve = session_.curves.curve;
  const FieldError error = ValidateAavsoFields(f, curve.RelativeMode, curve.EnsembleFlag);
  if (!error.message.empty()) {
    Dialogs().Error(Q(error.message));
    QLineEdit* field = error.field == "OBSCODE"  ? edit1_
                       : error.field == "STARID" ? edit2_
                       : error.field == "CNAME"  ? edit3_
                       : error.field == "KNAME"  ? edit4_
                                                 : edit5_;
    field->setFocus();
    return;
  }
  session_.reports.aavso = f;
  session_.settings.aObscode = f.obscode;
  session_.settings.aChart = f.chart;
  session_.settings.aFilter = f.filter;
  accept();
}

}  // namespace lumenda::ui
