#include "windows/star_selection_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"

namespace lumenda::ui {
namespace {

constexpr int kNameLength = 18;
constexpr int kViewSize = 254;

QLabel* Readout(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(QString::fromLatin1(name));
  label->setMinimumWidth(200);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// Letters typed into the name become capitals.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

}  // namespace

StarSelectionDialog::StarSelectionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFSel"));
  setWindowTitle(QStringLiteral("Lumenda - Selección"));
  setModal(true);

  lX_ = Readout("lX");
  lY_ = Readout("lY");
  lADU_ = Readout("lADU");
  lMAX_ = Readout("lMAX");
  lFWHM_ = Readout("lFWHM");
  lAR_ = Readout("lAR");
  lDEC_ = Readout("lDEC");
  lMAG_ = Readout("lMAG");
  view_ = new QLabel;
  view_->setObjectName(QStringLiteral("Image1"));
  view_->setAccessibleName(QStringLiteral("Estrella ampliada"));
  view_->setFixedSize(kViewSize, kViewSize);
  cbX2_ = new QCheckBox(QStringLiteral("x2"));
  cbX2_->setObjectName(QStringLiteral("cbX2"));
  connect(cbX2_, &QCheckBox::toggled, this, &StarSelectionDialog::ShowMagnified);

  eNombre_ = new QLineEdit;
  eNombre_->setObjectName(QStringLiteral("eNombre"));
  eNombre_->setMaxLength(kNameLength);
  eNombre_->setValidator(new UpperCaseValidator(eNombre_));
  auto* nameLabel = new QLabel(QStringLiteral("Nombre:"));
  nameLabel->setBuddy(eNombre_);
  eNombre_->setAccessibleName(QStringLiteral("Nombre"));

  rbCal_ = new QRadioButton(QStringLiteral("Calibrado"));
  rbCal_->setObjectName(QStringLiteral("rbCal"));
  rbVar_ = new QRadioButton(QStringLiteral("Variable"));
  rbVar_->setObjectName(QStringLiteral("rbVar"));
  rbTodas_ = new QRadioButton(QStringLiteral("Todas"));
  rbTodas_->setObjectName(QStringLiteral("rbTodas"));
  auto* roles = new QButtonGroup(this);
  for (QRadioButton* b : {rbCal_, rbVar_, rbTodas_}) roles->addButton(b);
  // A role chosen with no name written gives the default name.
  connect(rbCal_, &QRadioButton::clicked, this, [this] {
    if (eNombre_->text().isEmpty()) eNombre_->setText(Q(request_.defaultCalibrado));
  });
  connect(rbVar_, &QRadioButton::clicked, this, [this] {
    if (eNombre_->text().isEmpty()) eNombre_->setText(Q(request_.defaultVariable));
  });

  auto* readouts = new QVBoxLayout;
  for (QLabel* l : {lX_, lY_, lADU_, lMAX_, lFWHM_, lAR_, lDEC_, lMAG_}) readouts->addWidget(l);
  readouts->addStretch(1);
  auto* viewColumn = new QVBoxLayout;
  viewColumn->addWidget(view_);
  viewColumn->addWidget(cbX2_);
  auto* top = new QHBoxLayout;
  top->addLayout(readouts, 1);
  top->addLayout(viewColumn);

  auto* roleBox = new QGroupBox(QStringLiteral("Tipo de estrella"));
  roleBox->setObjectName(QStringLiteral("gbTipo"));
  auto* roleLayout = new QHBoxLayout(roleBox);
  for (QRadioButton* b : {rbCal_, rbVar_, rbTodas_}) roleLayout->addWidget(b);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(eNombre_, 1);

  auto* ok = new QPushButton(QStringLiteral("Aceptar"));
  ok->setObjectName(QStringLiteral("bAceptar"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancelar"));
  cancel->setObjectName(QStringLiteral("bCancelar"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(roleBox);
  layout->addLayout(nameRow);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void StarSelectionDialog::Prepare(const SelectionRequest& request) {
  request_ = request;
  const SelectionReadout& r = request.readout;
  lX_->setText(Q(r.x));
  lY_->setText(Q(r.y));
  lADU_->setText(Q(r.adu));
  lMAX_->setText(Q(r.max));
  lFWHM_->setText(Q(r.fwhm));
  lAR_->setText(Q(r.ar));
  lDEC_->setText(Q(r.dec));
  lMAG_->setText(Q(r.mag));
  eNombre_->clear();
  // No role until the user picks one.
  for (QRadioButton* b : {rbCal_, rbVar_, rbTodas_}) {
    b->group()->setExclusive(false);
    b->setChecked(false);
    b->group()->setExclusive(true);
  }
  rbTodas_->setEnabled(request.todasOffered);
  ShowMagnified();
  eNombre_->setFocus(Qt::OtherFocusReason);
}

void StarSelectionDialog::ShowMagnified() {
  // Twice (63 display pixels each side) or, with "x2", four times (31).
  const int factor = cbX2_->isChecked() ? 4 : 2;
  const int half = cbX2_->isChecked() ? 31 : 63;
  QImage view(kViewSize, kViewSize, QImage::Format_RGB32);
  view.fill(QColor(128, 128, 128));
  const QPoint centre(qRound(request_.readout.star.x * request_.zoom),
                      qRound(request_.readout.star.y * request_.zoom));
  const QRect square(centre.x() - half, centre.y() - half, 2 * half + 1, 2 * half + 1);
  const QRect source = square.intersected(request_.picture.rect());
  if (!source.isEmpty()) {
    QPainter painter(&view);
    painter.drawImage(
        QRect((source.left() - square.left()) * factor, (source.top() - square.top()) * factor,
              source.width() * factor, source.height() * factor),
        request_.picture, source);
  }
  view_->setPixmap(QPixmap::fromImage(view));
}

SelectionRole StarSelectionDialog::Role() const {
  if (rbCal_->isChecked()) return SelectionRole::kCalibrado;
  if (rbVar_->isChecked()) return SelectionRole::kVariable;
  if (rbTodas_->isChecked()) return SelectionRole::kTodas;
  return SelectionRole::kNone;
}

void StarSelectionDialog::accept() {
  const Status check = CheckSelection(Role(), S(eNombre_->text().trimmed()));
  if (!check.ok()) {
    Dialogs().Error(Q(check.message));
    return;
  }
  QDialog::accept();
}

std::optional<SelectionAnswer> StarSelectionDialog::Ask(const SelectionRequest& request) {
  Prepare(request);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return SelectionAnswer{Role(), S(eNombre_->text().trimmed())};
}

}  // namespace lumenda::ui
