#include "app/main_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "windows/settings_dialog.h"

namespace lumenda::ui {
namespace {

// The button column's width when the working lists are hidden.
constexpr int kNarrowWidth = 345;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setMinimumHeight(30);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QListWidget* MakeList(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
  return list;
}

}  // namespace

MainWindow::MainWindow(AppContext& context, const DesktopWindows& windows, QWidget* parent)
    : QWidget(parent), context_(context), windows_(windows) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(context_.versionText);
  BuildLayout();

  connect(button1_, &QPushButton::clicked, this, &MainWindow::ImageList);
  connect(button2_, &QPushButton::clicked, this, &MainWindow::StarSelection);
  connect(button3_, &QPushButton::clicked, this, &MainWindow::Settings);
  connect(button4_, &QPushButton::clicked, this, &MainWindow::Process);
  connect(button7_, &QPushButton::clicked, this, &MainWindow::SaveData);
  connect(button8_, &QPushButton::clicked, this, &MainWindow::RecoverData);
  connect(button5_, &QPushButton::clicked, this, &MainWindow::GraphsAndReports);
  connect(button9_, &QPushButton::clicked, this, &MainWindow::PeriodAnalysis);
}

void MainWindow::BuildLayout() {
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("pnBotones"));
  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(6);

  button1_ = MakeButton(column, "Button1", QStringLiteral("Lista de imágenes"));
  button2_ = MakeButton(column, "Button2", QStringLiteral("Selección de estrellas"));
  button4_ = MakeButton(column, "Button4", QStringLiteral("Proceso"));
  button7_ = MakeButton(column, "Button7", QStringLiteral("Guardar datos..."));
  button8_ = MakeButton(column, "Button8", QStringLiteral("Recuperar datos..."));
  button5_ = MakeButton(column, "Button5", QStringLiteral("Gráficos / Informes"));
  button9_ = MakeButton(column, "Button9", QStringLiteral("Análisis de periodo"));
  button3_ = MakeButton(column, "Button3", QStringLiteral("Configuración"));

  checkBox1_ = new QCheckBox(QStringLiteral("Primera serie"), column);
  checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
  checkBox1_->setChecked(true);
  cbIndi_ = new QCheckBox(QStringLiteral("Forzar selección individual"), column);
  cbIndi_->setObjectName(QStringLiteral("cbIndi"));

  label1_ = MakeLabel(column, "Label1", QStringLiteral("0"));
  label2_ = MakeLabel(column, "Label2", QStringLiteral("0 / 0"));
  label3_ = MakeLabel(column, "Label3", QStringLiteral("000"));
  label4_ = MakeLabel(column, "Label4", QString());
  label5_ = MakeLabel(column, "Label5", QString());
  for (QLabel* label : {label3_, label4_, label5_}) {
    label->setMinimumWidth(1);  // a long file name must not widen the column
  }
  auto* images = MakeLabel(column, "lbImagenes", QStringLiteral("Imágenes:"));
  images->setBuddy(button1_);
  auto* stars = MakeLabel(column, "lbEstrellas", QStringLiteral("Calibrado / variable:"));
  stars->setBuddy(button2_);

  int row = 0;
  grid->addWidget(button1_, row++, 0, 1, 2);
  grid->addWidget(images, row, 0);
  grid->addWidget(label1_, row++, 1);
  grid->addWidget(checkBox1_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button2_, row++, 0, 1, 2);
  grid->addWidget(stars, row, 0);
  grid->addWidget(label2_, row++, 1);
  grid->addWidget(cbIndi_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button4_, row++, 0, 1, 2);
  grid->addWidget(label4_, row++, 0, 1, 2);
  grid->addWidget(label5_, row++, 0, 1, 2);
  grid->addWidget(label3_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button7_, row++, 0, 1, 2);
  grid->addWidget(button8_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button5_, row++, 0, 1, 2);
  grid->addWidget(button9_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button3_, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(1, 1);

  // The working lists: views of the engine's state, for inspection.
  lists_ = new QGroupBox(QStringLiteral("Listas de trabajo"), this);
  lists_->setObjectName(QStringLiteral("gbListas"));
  auto* listsLayout = new QGridLayout(lists_);
  eFoto1_ = new QLineEdit(lists_);
  eFoto1_->setObjectName(QStringLiteral("eFoto1"));
  eFoto1_->setReadOnly(true);
  eFoto1_->setAccessibleName(QStringLiteral("Última imagen procesada"));
  listaFotos_ = MakeList(lists_, "ListaFotos", QStringLiteral("Lista de imágenes"));
  lbVar_ = MakeList(lists_, "lbVar", QStringLiteral("Estrellas variables"));
  lbCali_ = MakeList(lists_, "lbCali", QStringLiteral("Estrellas de calibrado"));
  lbNomVar_ = MakeList(lists_, "lbNomVar", QStringLiteral("Nombres de las estrellas medidas"));
  lbMag_ = MakeList(lists_, "lbMag", QStringLiteral("Magnitudes"));
  listsLayout->addWidget(eFoto1_, 0, 0, 1, 2);
  listsLayout->addWidget(listaFotos_, 1, 0, 1, 2);
  listsLayout->addWidget(lbVar_, 2, 0);
  listsLayout->addWidget(lbCali_, 2, 1);
  listsLayout->addWidget(lbNomVar_, 3, 0);
  listsLayout->addWidget(lbMag_, 3, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(column);
  layout->addWidget(lists_, 1);
  if (context_.enCasa) {
    resize(900, 560);
  } else {
    lists_->hide();
    column->setFixedWidth(kNarrowWidth);
    adjustSize();
  }
}

void MainWindow::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

int MainWindow::ImageCount() const {
  return listaFotos_->count();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  const Status saved = SaveSettings(context_.appDir, context_.settings);
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
  event->accept();
}

void MainWindow::ImageList() {}

void MainWindow::StarSelection() {
  label2_->setText(QStringLiteral("Cargando imagen..."));
  if (ImageCount() == 0) {
    Dialogs().Error(QStringLiteral("No hay imágenes seleccionadas."));
    label2_->setText(QStringLiteral("0 / 0"));
    return;
  }
}

void MainWindow::Settings() {
  windows_.settings->Prepare();
  windows_.settings->exec();
}

void MainWindow::Process() {}

void MainWindow::SaveData() {}

void MainWindow::RecoverData() {}

void MainWindow::GraphsAndReports() {
  if (lbNomVar_->count() == 0) {
    Dialogs().Warning(QStringLiteral("Datos para gráfico no disponibles."));
    return;
  }
  Dialogs().Info(QStringLiteral("La ventana de gráficos e informes aún no está disponible."));
}

void MainWindow::PeriodAnalysis() {
  Dialogs().Info(QStringLiteral("El análisis de periodo aún no está disponible."));
}

}  // namespace lumenda::ui
