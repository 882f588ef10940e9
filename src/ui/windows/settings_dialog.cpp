#include "windows/settings_dialog.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/number_format.h"

namespace lumenda::ui {
namespace {

QLabel* Caption(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  buddy->setAccessibleName(text);
  return label;
}

QComboBox* SideList(const char* name, const QString& first, const QString& second,
                    const QString& accessibleName) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(name));
  list->addItems({first, second});
  list->setAccessibleName(accessibleName);
  return list;
}

QLineEdit* TextField(const char* name) {
  auto* field = new QLineEdit;
  field->setObjectName(QString::fromLatin1(name));
  return field;
}

long long IntOf(const MaskedEdit* field, long long fallback) {
  return ParseInt(field->Value()).value_or(fallback);
}

}  // namespace

SettingsDialog::SettingsDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TFConf"));
  setWindowTitle(QStringLiteral("Lumenda - Configuración"));
  setModal(true);

  cbFlipX_ = new QCheckBox(QStringLiteral("Flip X"));
  cbFlipX_->setObjectName(QStringLiteral("cbFlipX"));
  cbFlipY_ = new QCheckBox(QStringLiteral("Flip Y"));
  cbFlipY_->setObjectName(QStringLiteral("cbFlipY"));
  meRes_ = new MaskedEdit(QStringLiteral("00.00"), "meRes");
  meLsat_ = new MaskedEdit(QStringLiteral("00000"), "meLsat");
  meRadio_ = new MaskedEdit(QStringLiteral("00.00"), "meRadio");
  meRadioI_ = new MaskedEdit(QStringLiteral("00"), "meRadioI");
  meRadioE_ = new MaskedEdit(QStringLiteral("00"), "meRadioE");
  tbControl_ = new QSlider(Qt::Horizontal);
  tbControl_->setObjectName(QStringLiteral("tbControl"));
  tbControl_->setRange(1, 9);
  tbControl_->setPageStep(1);
  tbControl_->setTickPosition(QSlider::TicksBelow);
  tbControl_->setTickInterval(1);
  eControl_ = TextField("eControl");
  eControl_->setReadOnly(true);
  eControl_->setFixedWidth(40);
  eControl_->setAccessibleName(QStringLiteral("Nivel de control de errores"));
  meMinAdu_ = new MaskedEdit(QStringLiteral("0000"), "meMinAdu");
  meMinRsr_ = new MaskedEdit(QStringLiteral("000"), "meMinRsr");
  meRadioS_ = new MaskedEdit(QStringLiteral("0"), "meRadioS");
  rbFiltroNo_ = new QRadioButton(QStringLiteral("Filtro de nombre desactivado"));
  rbFiltroNo_->setObjectName(QStringLiteral("rbFiltroNo"));
  rbFiltroIn_ = new QRadioButton(QStringLiteral("Incluir si contiene:"));
  rbFiltroIn_->setObjectName(QStringLiteral("rbFiltroIn"));
  rbFiltroEx_ = new QRadioButton(QStringLiteral("Excluir si contiene:"));
  rbFiltroEx_->setObjectName(QStringLiteral("rbFiltroEx"));
  eFiltroIn_ = TextField("eFiltroIn");
  eFiltroIn_->setAccessibleName(QStringLiteral("Incluir si contiene"));
  eFiltroEx_ = TextField("eFiltroEx");
  eFiltroEx_->setAccessibleName(QStringLiteral("Excluir si contiene"));
  meLat_ = new MaskedEdit(QStringLiteral("00 00 00"), "meLat");
  cbLat_ = SideList("cbLat", QStringLiteral("N"), QStringLiteral("S"),
                    QStringLiteral("Hemisferio de la latitud"));
  meLon_ = new MaskedEdit(QStringLiteral("000 00 00"), "meLon");
  cbLon_ = SideList("cbLon", QStringLiteral("W"), QStringLiteral("E"),
                    QStringLiteral("Lado de la longitud"));
  eObs_ = TextField("eObs");

  connect(tbControl_, &QSlider::valueChanged, this,
          [this](int v) { eControl_->setText(QString::number(v)); });
  for (QWidget* field : {static_cast<QWidget*>(meRadio_), static_cast<QWidget*>(meRadioI_),
                         static_cast<QWidget*>(meRadioE_), static_cast<QWidget*>(meRadioS_)}) {
    field->installEventFilter(this);
  }

  pages_ = new QStackedWidget;
  pages_->setObjectName(QStringLiteral("pcPaginas"));
  pageButtons_ = new QButtonGroup(this);
  auto* buttons = new QVBoxLayout;
  const QString captions[] = {QStringLiteral("Sistema óptico"), QStringLiteral("Fotometría"),
                              QStringLiteral("Detección automática de estrellas"),
                              QStringLiteral("Procesado automático de imágenes"),
                              QStringLiteral("Observatorio")};
  const char* names[] = {"bOptica", "bFotometria", "bDeteccion", "bProcesado", "bObservatorio"};
  for (int page = kOptics; page <= kObservatory; ++page) {
    auto* button = new QPushButton(captions[page]);
    button->setObjectName(QString::fromLatin1(names[page]));
    button->setCheckable(true);
    button->setMinimumHeight(30);
    pageButtons_->addButton(button, page);
    buttons->addWidget(button);
    pages_->addWidget(BuildPage(page));
  }
  buttons->addStretch(1);
  connect(pageButtons_, &QButtonGroup::idClicked, this, &SettingsDialog::ShowPage);

  auto* accept = new QPushButton(QStringLiteral("Aceptar"));
  accept->setObjectName(QStringLiteral("bAceptar"));
  accept->setDefault(true);
  connect(accept, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(accept);

  auto* body = new QHBoxLayout;
  body->addLayout(buttons);
  body->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Prepare();
}

QWidget* SettingsDialog::BuildPage(int page) {
  auto* widget = new QWidget;
  auto* form = new QFormLayout(widget);
  form->setLabelAlignment(Qt::AlignLeft);
  switch (page) {
    case kOptics:
      form->addRow(cbFlipX_);
      form->addRow(cbFlipY_);
      form->addRow(Caption(QStringLiteral("Resolución del sistema óptico (\"/pixel)"), meRes_),
                   meRes_);
      form->addRow(Caption(QStringLiteral("Nivel de pérdida de linealidad"), meLsat_), meLsat_);
      break;
    case kPhotometry: {
      form->addRow(Caption(QStringLiteral("Radio apertura fotométrica (pixeles)"), meRadio_),
                   meRadio_);
      form->addRow(Caption(QStringLiteral("Radio interior fondo (rado apertura +)"), meRadioI_),
                   meRadioI_);
      form->addRow(Caption(QStringLiteral("Radio exterior fondo (radio interior +)"), meRadioE_),
                   meRadioE_);
      auto* control = new QHBoxLayout;
      control->addWidget(tbControl_, 1);
      control->addWidget(eControl_);
      auto* caption = Caption(QStringLiteral("Control de errores:"), tbControl_);
      form->addRow(caption, control);
      break;
    }
    case kDetection:
      form->addRow(Caption(QStringLiteral("Mínimo cuentas"), meMinAdu_), meMinAdu_);
      form->addRow(Caption(QStringLiteral("Mínimo RSR"), meMinRsr_), meMinRsr_);
      form->addRow(Caption(QStringLiteral("Radio seguimiento automático"), meRadioS_), meRadioS_);
      break;
    case kAutomatic:
      form->addRow(rbFiltroNo_);
      form->addRow(rbFiltroIn_, eFiltroIn_);
      form->addRow(rbFiltroEx_, eFiltroEx_);
      break;
    case kObservatory: {
      auto* lat = new QHBoxLayout;
      lat->addWidget(meLat_);
      lat->addWidget(cbLat_);
      lat->addStretch(1);
      form->addRow(Caption(QStringLiteral("Latitud:"), meLat_), lat);
      auto* lon = new QHBoxLayout;
      lon->addWidget(meLon_);
      lon->addWidget(cbLon_);
      lon->addStretch(1);
      form->addRow(Caption(QStringLiteral("Longitud:"), meLon_), lon);
      form->addRow(Caption(QStringLiteral("Observador:"), eObs_), eObs_);
      break;
    }
  }
  return widget;
}

void SettingsDialog::Prepare() {
  const Settings& s = context_.session.settings;
  cbFlipX_->setChecked(s.flipX);
  cbFlipY_->setChecked(s.flipY);
  meRes_->SetValue(s.res);
  meLsat_->SetValue(s.lsat);
  meRadio_->SetValue(s.radio);
  meRadioI_->SetValue(s.radioI);
  meRadioE_->SetValue(s.radioE);
  tbControl_->setValue(s.eControl);
  eControl_->setText(QString::number(tbControl_->value()));
  meMinAdu_->SetValue(s.minAdu);
  meMinRsr_->SetValue(s.minRsr);
  meRadioS_->SetValue(s.radioS);
  rbFiltroNo_->setChecked(s.filtroAc == 'N');
  rbFiltroIn_->setChecked(s.filtroAc == 'I');
  rbFiltroEx_->setChecked(s.filtroAc == 'E');
  eFiltroIn_->setText(Q(s.filtroIn));
  eFiltroEx_->setText(Q(s.filtroEx));
  meLat_->SetValue(s.lat);
  cbLat_->setCurrentIndex(s.lat2 == "N" ? 0 : 1);
  meLon_->SetValue(s.lon);
  cbLon_->setCurrentIndex(s.lon2 == "W" ? 0 : 1);
  eObs_->setText(Q(s.obs));
  ShowPage(kOptics);
}

void SettingsDialog::ShowPage(int page) {
  pages_->setCurrentIndex(page);
  if (QAbstractButton* button = pageButtons_->button(page)) button->setChecked(true);
  QWidget* first[] = {cbFlipX_, meRadio_, meMinAdu_, nullptr, meLat_};
  if (first[page]) first[page]->setFocus(Qt::OtherFocusReason);
}

QWidget* SettingsDialog::FailingRadius() const {
  return IntOf(meRadioE_, 0) < 2 ? meRadioE_ : nullptr;
}

QWidget* SettingsDialog::FailingTrackingRadius() const {
  const long long r = IntOf(meRadioS_, 0);
  return r < 1 || r > 5 ? meRadioS_ : nullptr;
}

void SettingsDialog::ReturnFocus(QWidget* field) {
  // After the focus change in progress has finished.
  QTimer::singleShot(0, field, [this, field] {
    for (int page = 0; page < pages_->count(); ++page) {
      if (pages_->widget(page)->isAncestorOf(field)) {
        pages_->setCurrentIndex(page);
        pageButtons_->button(page)->setChecked(true);
      }
    }
    field->setFocus(Qt::OtherFocusReason);
  });
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another window taking the focus is not leaving the field.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      QWidget* failing = watched == meRadioS_ ? FailingTrackingRadius() : FailingRadius();
      if (failing) ReturnFocus(failing);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SettingsDialog::Store() {
  Settings& s = context_.session.settings;
  s.flipX = cbFlipX_->isChecked();
  s.flipY = cbFlipY_->isChecked();
  s.res = meRes_->Value();
  s.lsat = meLsat_->Value();
  s.radio = meRadio_->Value();
  s.radioI = meRadioI_->Value();
  s.radioE = meRadioE_->Value();
  s.eControl = tbControl_->value();
  s.minAdu = meMinAdu_->Value();
  s.minRsr = meMinRsr_->Value();
  s.radioS = meRadioS_->Value();
  s.filtroAc = rbFiltroNo_->isChecked() ? 'N' : rbFiltroIn_->isChecked() ? 'I' : 'E';
  s.filtroIn = S(eFiltroIn_->text());
  s.filtroEx = S(eFiltroEx_->text());
  s.lat = meLat_->Value();
  s.lat2 = S(cbLat_->currentText());
  s.lon = meLon_->Value();
  s.lon2 = S(cbLon_->currentText());
  s.obs = S(eObs_->text());
}

void SettingsDialog::done(int result) {
  if (QWidget* failing = FailingRadius() ? FailingRadius() : FailingTrackingRadius()) {
    ReturnFocus(failing);
    return;
  }
  Store();
  const Status saved = SaveSettings(context_.session.appDir, context_.session.settings);
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
  QDialog::done(result);
}

}  // namespace lumenda::ui
