#include "windows/coordinates_window.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/text.h"
#include "text/number_format.h"

namespace lumenda::ui {
namespace {

QComboBox* SideList(const char* name, const QString& first, const QString& second,
                    const QString& accessibleName) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(name));
  list->addItems({first, second});
  list->setAccessibleName(accessibleName);
  return list;
}

QHBoxLayout* Row(QWidget* field, QWidget* side = nullptr) {
  auto* row = new QHBoxLayout;
  row->addWidget(field);
  if (side) row->addWidget(side);
  row->addStretch(1);
  return row;
}

void AddRow(QFormLayout* form, const QString& caption, QWidget* field, QWidget* side = nullptr) {
  auto* label = new QLabel(caption);
  label->setBuddy(field);
  field->setAccessibleName(caption);
  form->addRow(label, Row(field, side));
}

char SideOf(const QComboBox* list) {
  return list->currentText().at(0).toLatin1();
}

}  // namespace

CoordinatesWindow::CoordinatesWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TFCoord"));
  setWindowTitle(QStringLiteral("Lumenda - Coordenadas"));
  setModal(true);

  meAR_ = new MaskedEdit(QStringLiteral("00 00 00.0"), "meAR");
  meDec_ = new MaskedEdit(QStringLiteral("00 00 00"), "meDec");
  cbDec_ = SideList("cbDec", QStringLiteral("N"), QStringLiteral("S"),
                    QStringLiteral("Signo de la declinación"));
  meLat_ = new MaskedEdit(QStringLiteral("00 00 00"), "meLat");
  cbLat_ = SideList("cbLat", QStringLiteral("N"), QStringLiteral("S"),
                    QStringLiteral("Hemisferio de la latitud"));
  meLon_ = new MaskedEdit(QStringLiteral("000 00 00"), "meLon");
  cbLon_ = SideList("cbLon", QStringLiteral("W"), QStringLiteral("E"),
                    QStringLiteral("Lado de la longitud"));
  meRes_ = new MaskedEdit(QStringLiteral("00.00"), "meRes");
  meTiempo_ = new QLineEdit;
  meTiempo_->setObjectName(QStringLiteral("meTiempo"));
  meTiempo_->setFixedWidth(90);
  meTiempo_->installEventFilter(this);

  auto* field = new QGroupBox(QStringLiteral("Coordenadas centro imagen:"));
  auto* fieldForm = new QFormLayout(field);
  AddRow(fieldForm, QStringLiteral("A.R:"), meAR_);
  AddRow(fieldForm, QStringLiteral("Dec:"), meDec_, cbDec_);

  auto* site = new QGroupBox(QStringLiteral("Posición geográfica:"));
  auto* siteForm = new QFormLayout(site);
  AddRow(siteForm, QStringLiteral("Latitud:"), meLat_, cbLat_);
  AddRow(siteForm, QStringLiteral("Longitud:"), meLon_, cbLon_);

  auto* optics = new QGroupBox(QStringLiteral("Resolución del sistema óptico:"));
  auto* opticsForm = new QFormLayout(optics);
  AddRow(opticsForm, QStringLiteral("\"/pixel:"), meRes_);
  meRes_->setAccessibleName(QStringLiteral("Resolución del sistema óptico, segundos por pixel"));

  auto* time = new QGroupBox(QStringLiteral("Corrección de tiempo:"));
  auto* timeForm = new QFormLayout(time);
  AddRow(timeForm, QStringLiteral("Segundos:"), meTiempo_);

  auto* accept = new QPushButton(QStringLiteral("Aceptar"));
  accept->setObjectName(QStringLiteral("bAceptar"));
  accept->setDefault(true);
  connect(accept, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(accept);

  auto* layout = new QVBoxLayout(this);
  for (QGroupBox* box : {field, site, optics, time}) layout->addWidget(box);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Prepare(CoordinateTexts{});
}

void CoordinatesWindow::Prepare(const CoordinateTexts& t) {
  meAR_->SetValue(t.ar);
  meDec_->SetValue(t.dec);
  cbDec_->setCurrentIndex(t.decSign == 'S' ? 1 : 0);
  meLat_->SetValue(t.lat);
  cbLat_->setCurrentIndex(t.latSign == 'S' ? 1 : 0);
  meLon_->SetValue(t.lon);
  cbLon_->setCurrentIndex(t.lonSide == 'E' ? 1 : 0);
  meRes_->SetValue(t.res);
  meTiempo_->setText(Q(context_.session.settings.cTiempo));
  meAR_->setFocus(Qt::OtherFocusReason);
}

CoordinateTexts CoordinatesWindow::Texts() const {
  CoordinateTexts t;
  t.ar = meAR_->Value();
  t.dec = meDec_->Value();
  t.decSign = SideOf(cbDec_);
  t.lat = meLat_->Value();
  t.latSign = SideOf(cbLat_);
  t.lon = meLon_->Value();
  t.lonSide = SideOf(cbLon_);
  t.res = meRes_->Value();
  return t;
}

bool CoordinatesWindow::TimeCorrectionValid() const {
  return IsFloat(S(meTiempo_->text()));
}

bool CoordinatesWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == meTiempo_ && event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        !TimeCorrectionValid()) {
      QTimer::singleShot(0, meTiempo_, [this] { meTiempo_->setFocus(Qt::OtherFocusReason); });
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CoordinatesWindow::done(int result) {
  if (!TimeCorrectionValid()) {
    meTiempo_->setFocus(Qt::OtherFocusReason);
    return;
  }
  context_.session.settings.cTiempo = S(meTiempo_->text().trimmed());
  QDialog::done(result);
}

}  // namespace lumenda::ui
