#include "windows/data_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>

#include "curves/data_editing.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace lumenda::ui {

DataWindow::DataWindow(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFDatos"));
  setWindowTitle(QStringLiteral("Lumenda - Datos"));
  setModal(true);
  auto label = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
  };
  lbNombre_ = label("lbNombre");
  QFont bold = lbNombre_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  lbNombre_->setFont(bold);
  lbTU_ = label("lbTU");
  lbMPC_ = label("lbMPC");
  lbJuliana_ = label("lbJuliana");
  lbValor_ = label("lbValor");
  lbCarpeta_ = label("lbCarpeta");
  lbCarpeta_->setWordWrap(true);
  lbArchivo_ = label("lbArchivo");
  auto* archivo = new QLabel(QStringLiteral("Archivo:"), this);
  archivo->setBuddy(lbArchivo_);
  lbMomento_ = label("lbMomento");
  lbMomento_->setText(QStringLiteral("Un momento..."));
  lbMomento_->hide();
  bBorrar_ = new QPushButton(QStringLiteral("Borrar datos de esta imagen..."), this);
  bBorrar_->setObjectName(QStringLiteral("bBorrar"));

  auto* grid = new QGridLayout(this);
  int r = 0;
  grid->addWidget(lbNombre_, r++, 0, 1, 2);
  grid->addWidget(lbTU_, r++, 0, 1, 2);
  grid->addWidget(lbMPC_, r++, 0, 1, 2);
  grid->addWidget(lbJuliana_, r++, 0, 1, 2);
  grid->addWidget(lbValor_, r++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), r++, 0);
  grid->addWidget(lbCarpeta_, r++, 0, 1, 2);
  auto* file = new QHBoxLayout();
  file->addWidget(archivo);
  file->addWidget(lbArchivo_, 1);
  grid->addLayout(file, r++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), r++, 0);
  grid->addWidget(bBorrar_, r, 0);
  grid->addWidget(lbMomento_, r++, 1);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(380);
  connect(bBorrar_, &QPushButton::clicked, this, [this] { DeleteImageData(); });
}

void DataWindow::ShowPoint(const PointInspection& point) {
  SetPoint(point);
  exec();
}

void DataWindow::SetPoint(const PointInspection& point) {
  lbNombre_->setText(Q(point.starName));
  lbTU_->setText(Q(point.universalTime));
  lbMPC_->setText(Q(point.mpcDate));
  lbJuliana_->setText(Q(point.julianDate));
  lbValor_->setText(Q(point.value));
  lbCarpeta_->setText(Q(point.folder));
  lbArchivo_->setText(Q(point.fileName));
  imagePath_ = point.imagePath;
  bBorrar_->setEnabled(point.canDelete && !imagePath_.empty());
  lbMomento_->hide();
}

void DataWindow::DeleteImageData() {
  if (!Dialogs().Confirm(Q(kConfirmDeleteImage))) return;
  lbMomento_->show();
  lbMomento_->repaint();
  const Result<int> deleted = lumenda::DeleteImageData(session_, imagePath_);
  lbMomento_->hide();
  if (!deleted.ok()) Dialogs().Error(Q(deleted.message));
  accept();
}

}  // namespace lumenda::ui
