#include "windows/cdr_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "curves/aavso_report.h"
#include "curves/minor_reports.h"
#include "platform/text.h"

namespace lumenda::ui {

CdrDialog::CdrDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFCdR"));
  setWindowTitle(QStringLiteral("Lumenda - Informe CdR"));
  setModal(true);
  auto* form = new QFormLayout();
  static const char* const kKeys[] = {"FMT", "NOM", "MES", "TEL", "CAP", "CAT", "POS"};
  for (int i = 0; i < 7; ++i) {
    edits_[i] = new QLineEdit(this);
    edits_[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    edits_[i]->setAccessibleName(QString::fromLatin1(kKeys[i]));
    form->addRow(QString::fromLatin1(kKeys[i]), edits_[i]);
  }
  cbFil_ = new QComboBox(this);
  cbFil_->setObjectName(QStringLiteral("cbFil"));
  cbFil_->setAccessibleName(QStringLiteral("FIL"));
  for (int i = 0; i <= static_cast<int>(kAavsoFilters.size()); ++i)
    cbFil_->addItem(Q(CdrFilterText(i)));
  form->addRow(QStringLiteral("FIL"), cbFil_);

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
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CdrDialog::Fill() {
  const CdrFields opened =
      CdrFieldsFromSettings(session_.settings, Variable1Name(session_.run.results, session_.graph));
  const std::string* texts[] = {&opened.fmt, &opened.nom, &opened.mes, &opened.tel,
                                &opened.cap, &opened.cat, &opened.pos};
  for (int i = 0; i < 7; ++i) edits_[i]->setText(Q(*texts[i]));
  cbFil_->setCurrentIndex(std::clamp(opened.fil, 0, cbFil_->count() - 1));
}

bool CdrDialog::Ask() {
  Fill();
  if (exec() != QDialog::Accepted) return false;
  Settings& s = session_.settings;

  CdrFields fields;
  std::string* out[] = {&fields.fmt, &fields.nom, &fields.mes, &fields.tel,
                        &fields.cap, &fields.cat, &fields.pos};
  for (int i = 0; i < 7; ++i) *out[i] = S(edits_[i]->text());
  fields.fil = cbFil_->currentIndex();
  s.cdrFmt = fields.fmt;
  s.cdrMes = fields.mes;
  s.cdrTel = fields.tel;
  s.cdrCap = fields.cap;
  s.cdrCat = fields.cat;
  s.cdrPos = fields.pos;
  s.cdrFil = fields.fil;
  session_.reports.cdr = fields;
  return true;
}

}  // namespace lumenda::ui
