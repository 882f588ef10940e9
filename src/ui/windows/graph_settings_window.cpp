#include "windows/graph_settings_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "curves/chart_axes.h"
#include "curves/summary.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "widgets/chart_panel.h"
#include "windows/rename_window.h"

namespace lumenda::ui {
namespace {

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, const QString& accessible) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(low, high);
  spin->setAccessibleName(accessible);
  return spin;
}

QComboBox* PointStyles(QWidget* parent, const char* name, const QString& accessible) {
  auto* box = Named(new QComboBox(parent), name);
  box->setAccessibleName(accessible);
  const QStringList names = {QStringLiteral("Cuadrado"), QStringLiteral("Círculo"),
                             QStringLiteral("Rombo"),    QStringLiteral("Cruz"),
                             QStringLiteral("Aspa"),     QStringLiteral("Estrella")};
  for (int i = 0; i < names.size(); ++i)
    box->addItem(QIcon(QPixmap::fromImage(PointShapeImage(PointShapeOf(i), Qt::black, 9))),
                 names[i]);
  return box;
}

QComboBox* LineStyles(QWidget* parent, const char* name, const QString& accessible) {
  auto* box = Named(new QComboBox(parent), name);
  box->setAccessibleName(accessible);
  const QStringList names = {QStringLiteral("Continua"), QStringLiteral("Trazos"),
                             QStringLiteral("Puntos"), QStringLiteral("Trazo y punto"),
                             QStringLiteral("Trazo y dos puntos")};
  for (int i = 0; i < kLineStyleCount; ++i) {
    QPixmap picture(32, 12);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QPen(Qt::black, 1, LineStyleOf(i)));
    p.drawLine(0, 6, 32, 6);
    p.end();
    box->addItem(QIcon(picture), names[i]);
  }
  box->setIconSize(QSize(32, 12));
  return box;
}

QComboBox* Steps(QWidget* parent, const char* name, const QString& accessible) {
  auto* box = Named(new QComboBox(parent), name);
  box->setAccessibleName(accessible);
  box->addItems({QStringLiteral("0.1"), QStringLiteral("0.01"), QStringLiteral("0.001")});
  return box;
}

QLabel* Buddy(const QString& text, QWidget* field, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(field);
  return label;
}

}  // namespace

QColor ColourOfStored(int stored) {
  return QColor::fromRgb(RgbOfStoredColour(stored));
}

bool PickStoredColour(Settings& settings, int& stored) {
  std::vector<unsigned> custom;
  for (const std::string& line : settings.customColours)
    custom.push_back(ParseColourHex(line).value_or(0xFFFFFFu));
  const auto chosen = Dialogs().ChooseColour(ColourOfStored(stored), custom);
  for (size_t i = 0; i < custom.size() && i < settings.customColours.size(); ++i)
    settings.customColours[i] = FormatColourHex(custom[i]);
  if (!chosen) return false;
  stored = StoredColourOfRgb(chosen->rgb() & 0xFFFFFFu);
  return true;
}

GraphSettingsWindow::GraphSettingsWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFConfG"));
  setWindowTitle(QStringLiteral("Lumenda - Configuración gráficos"));
  setModal(true);
  pages_ = Named(new QTabWidget(this), "PageControl1");
  pages_->addTab(BuildSettingsPage(), QStringLiteral("Configuración"));
  pages_->addTab(BuildSummaryPage(), QStringLiteral("Resumen y comentarios"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  ConnectReactions();
  ShowSettings();
  move(session_.settings.fConfGLeft, session_.settings.fConfGTop);
}

QWidget* GraphSettingsWindow::BuildSettingsPage() {
  auto* page = Named(new QWidget(this), "tsConfiguracion");
  auto* layout = new QVBoxLayout(page);

  // Stars and photometry mode.
  auto* top = Named(new QGroupBox(page), "gbEstrellas");
  auto* topGrid = new QGridLayout(top);
  cbVar1_ = Named(new QComboBox(top), "cbVar1");
  cbVar2_ = Named(new QComboBox(top), "cbVar2");
  for (QComboBox* box : {cbVar1_, cbVar2_}) box->setMinimumWidth(170);
  rbDiferencial_ =
      Named(new QRadioButton(QStringLiteral("Fotometría relativa"), top), "rbDiferencial");
  rbAbsoluta_ = Named(new QRadioButton(QStringLiteral("Fotometría absoluta"), top), "rbAbsoluta");
  rbBrillo_ = Named(new QRadioButton(QStringLiteral("Flujo relativo"), top), "rbBrillo");
  rbFlujos_ = Named(new QRadioButton(QStringLiteral("Flujos (cuentas)"), top), "rbFlujos");
  auto* modes = new QButtonGroup(top);
  for (QRadioButton* rb : {rbDiferencial_, rbAbsoluta_, rbBrillo_, rbFlujos_}) modes->addButton(rb);
  topGrid->addWidget(Buddy(QStringLiteral("Variable 1"), cbVar1_, top), 0, 0);
  topGrid->addWidget(cbVar1_, 0, 1);
  topGrid->addWidget(Buddy(QStringLiteral("Variable 2"), cbVar2_, top), 1, 0);
  topGrid->addWidget(cbVar2_, 1, 1);
  topGrid->addWidget(rbDiferencial_, 0, 2);
  topGrid->addWidget(rbAbsoluta_, 1, 2);
  topGrid->addWidget(rbBrillo_, 0, 3);
  topGrid->addWidget(rbFlujos_, 1, 3);
  topGrid->setColumnStretch(4, 1);
  layout->addWidget(top);

  // Colours, shapes and styles.
  auto* looks =
      Named(new QGroupBox(QStringLiteral("Colores, formas y estilos"), page), "gbEstilos");
  auto* g = new QGridLayout(looks);
  shape3_ = Named(new ColourShape(QStringLiteral("Color de fondo"), looks), "Shape3");
  shape1_ = Named(new ColourShape(QStringLiteral("Color de la variable 1"), looks), "Shape1");
  shape2_ = Named(new ColourShape(QStringLiteral("Color de la variable 2"), looks), "Shape2");
  shape4_ = Named(new ColourShape(QStringLiteral("Color de la media móvil 1"), looks), "Shape4");
  shape5_ = Named(new ColourShape(QStringLiteral("Color de la media móvil 2"), looks), "Shape5");
  upVar1T_ = Spin(looks, "upVar1T", 1, 10, QStringLiteral("Tamaño de la variable 1"));
  upVar2T_ = Spin(looks, "upVar2T", 1, 10, QStringLiteral("Tamaño de la variable 2"));
  cbVar1S_ = PointStyles(looks, "cbVar1S", QStringLiteral("Forma de la variable 1"));
  cbVar2S_ = PointStyles(looks, "cbVar2S", QStringLiteral("Forma de la variable 2"));
  upMedia1_ = Spin(looks, "upMedia1", 1, 10, QStringLiteral("Grosor de la media móvil 1"));
  upMedia2_ = Spin(looks, "upMedia2", 1, 10, QStringLiteral("Grosor de la media móvil 2"));
  cbMediaStyl1_ = LineStyles(looks, "cbMediaStyl1", QStringLiteral("Estilo de la media móvil 1"));
  cbMediaStyl2_ = LineStyles(looks, "cbMediaStyl2", QStringLiteral("Estilo de la media móvil 2"));
  cbMM1_ = Named(new QCheckBox(QStringLiteral("Visible"), looks), "cbMM1");
  cbMM2_ = Named(new QCheckBox(QStringLiteral("Visible"), looks), "cbMM2");
  cbMM1_->setAccessibleName(QStringLiteral("Media móvil 1 visible"));
  cbMM2_->setAccessibleName(QStringLiteral("Media móvil 2 visible"));
  upMM_ = Spin(looks, "upMM", 1, 20, QStringLiteral("Periodo de la media móvil"));
  rbMMFechas_ = Named(new QRadioButton(QStringLiteral("Fecha"), looks), "rbMMFechas");
  rbMMTodo_ = Named(new QRadioButton(QStringLiteral("Todo"), looks), "rbMMTodo");
  auto* mmGroup = new QButtonGroup(looks);
  mmGroup->addButton(rbMMFechas_);
  mmGroup->addButton(rbMMTodo_);
  int r = 0;
  g->addWidget(Buddy(QStringLiteral("Fondo"), shape3_, looks), r, 0);
  g->addWidget(shape3_, r++, 1);
  g->addWidget(Buddy(QStringLiteral("Variable 1"), shape1_, looks), r, 0);
  g->addWidget(shape1_, r, 1);
  g->addWidget(upVar1T_, r, 2);
  g->addWidget(cbVar1S_, r++, 3);
  g->addWidget(Buddy(QStringLiteral("Variable 2"), shape2_, looks), r, 0);
  g->addWidget(shape2_, r, 1);
  g->addWidget(upVar2T_, r, 2);
  g->addWidget(cbVar2S_, r++, 3);
  g->addWidget(Buddy(QStringLiteral("Media móvil 1"), shape4_, looks), r, 0);
  g->addWidget(shape4_, r, 1);
  g->addWidget(upMedia1_, r, 2);
  g->addWidget(cbMediaStyl1_, r, 3);
  g->addWidget(cbMM1_, r++, 4);
  g->addWidget(Buddy(QStringLiteral("Media móvil 2"), shape5_, looks), r, 0);
  g->addWidget(shape5_, r, 1);
  g->addWidget(upMedia2_, r, 2);
  g->addWidget(cbMediaStyl2_, r, 3);
  g->addWidget(cbMM2_, r++, 4);
  auto* mmRow = new QHBoxLayout();
  mmRow->addWidget(Buddy(QStringLiteral("Periodo"), upMM_, looks));
  mmRow->addWidget(upMM_);
  mmRow->addSpacing(16);
  mmRow->addWidget(new QLabel(QStringLiteral("Agrupación:"), looks));
  mmRow->addWidget(rbMMFechas_);
  mmRow->addWidget(rbMMTodo_);
  mmRow->addStretch(1);
  g->addLayout(mmRow, r++, 0, 1, 5);
  g->setColumnStretch(5, 1);

  // Horizontal axis.
  auto* horizontal = Named(new QGroupBox(QStringLiteral("Eje horizontal"), page), "gbEjeX");
  auto* h = new QGridLayout(horizontal);
  rbFJH_ = Named(new QRadioButton(QStringLiteral("HJD_ UTC"), horizontal), "rbFJH");
  rbFJG_ = Named(new QRadioButton(QStringLiteral("GJD _UTC"), horizontal), "rbFJG");
  rbFJB_ = Named(new QRadioButton(QStringLiteral("BJD _UTC"), horizontal), "rbFJB");
  rbFMPC_ = Named(new QRadioButton(QStringLiteral("Fecha MPC"), horizontal), "rbFMPC");
  rbFH_ = Named(new QRadioButton(QStringLiteral("Fecha - Hora"), horizontal), "rbFH");
  auto* scales = new QButtonGroup(horizontal);
  for (QRadioButton* rb : {rbFJH_, rbFJG_, rbFJB_, rbFMPC_, rbFH_}) scales->addButton(rb);
  upDown3_ = Spin(horizontal, "UpDown3", 0, 5, QStringLiteral("Decimales del eje horizontal"));
  upDown4_ = Spin(horizontal, "UpDown4", 1, 5, QStringLiteral("Separación del eje horizontal"));
  rbImagenes_ = Named(new QRadioButton(QStringLiteral("Imágenes"), horizontal), "rbImagenes");
  rbMinutos_ = Named(new QRadioButton(QStringLiteral("Minutos"), horizontal), "rbMinutos");
  auto* grouping = new QButtonGroup(horizontal);
  grouping->addButton(rbImagenes_);
  grouping->addButton(rbMinutos_);
  udImagenes_ = Spin(horizontal, "udImagenes", 1, 10000, QStringLiteral("Imágenes por grupo"));
  udMinutos_ = Spin(horizontal, "udMinutos", 1, 10000, QStringLiteral("Minutos por grupo"));
  h->addWidget(rbFJH_, 0, 0);
  h->addWidget(rbFJG_, 1, 0);
  h->addWidget(rbFJB_, 2, 0);
  h->addWidget(rbFMPC_, 3, 0);
  h->addWidget(rbFH_, 4, 0);
  h->addWidget(Buddy(QStringLiteral("Decimales:"), upDown3_, horizontal), 0, 1);
  h->addWidget(upDown3_, 0, 2);
  h->addWidget(Buddy(QStringLiteral("Separación"), upDown4_, horizontal), 1, 1);
  h->addWidget(upDown4_, 1, 2);
  h->addWidget(new QLabel(QStringLiteral("Agrupación de medidas:"), horizontal), 2, 1, 1, 2);
  h->addWidget(rbImagenes_, 3, 1);
  h->addWidget(udImagenes_, 3, 2);
  h->addWidget(rbMinutos_, 4, 1);
  h->addWidget(udMinutos_, 4, 2);

  // Vertical axis.
  auto* vertical = Named(new QGroupBox(QStringLiteral("Eje vertical"), page), "gbEjeY");
  auto* v = new QGridLayout(vertical);
  upDown1_ = Spin(vertical, "UpDown1", 1, 3, QStringLiteral("Decimales del eje vertical"));
  upDown2_ = Spin(vertical, "UpDown2", 1, 3, QStringLiteral("Separación del eje vertical"));
  upMargen_ = Spin(vertical, "upMargen", 5, 95, QStringLiteral("Margen del eje vertical"));
  upMargen_->setSuffix(QStringLiteral(" %"));
  lbDecimalesV_ = Buddy(QStringLiteral("Decimales:"), upDown1_, vertical);
  udDesV1_ =
      Spin(vertical, "udDesV1", -100, 100, QStringLiteral("Desplazamiento de la variable 1"));
  udDesV2_ =
      Spin(vertical, "udDesV2", -100, 100, QStringLiteral("Desplazamiento de la variable 2"));
  cbV1_ = Steps(vertical, "cbV1", QStringLiteral("Paso del desplazamiento de la variable 1"));
  cbV2_ = Steps(vertical, "cbV2", QStringLiteral("Paso del desplazamiento de la variable 2"));
  cbBarras_ = Named(new QCheckBox(QStringLiteral("Barras de error"), vertical), "cbBarras");
  v->addWidget(lbDecimalesV_, 0, 0);
  v->addWidget(upDown1_, 0, 1);
  v->addWidget(Buddy(QStringLiteral("Separación:"), upDown2_, vertical), 1, 0);
  v->addWidget(upDown2_, 1, 1);
  v->addWidget(Buddy(QStringLiteral("Margen:"), upMargen_, vertical), 2, 0);
  v->addWidget(upMargen_, 2, 1);
  gbDesplazamiento_ =
      Named(new QGroupBox(QStringLiteral("Desplazamiento"), vertical), "gbDesplazamiento");
  auto* shift = new QGridLayout(gbDesplazamiento_);
  shift->addWidget(Buddy(QStringLiteral("Variable 1"), udDesV1_, gbDesplazamiento_), 0, 0);
  shift->addWidget(udDesV1_, 0, 1);
  shift->addWidget(new QLabel(QStringLiteral("x"), gbDesplazamiento_), 0, 2);
  shift->addWidget(cbV1_, 0, 3);
  shift->addWidget(Buddy(QStringLiteral("Variable 2"), udDesV2_, gbDesplazamiento_), 1, 0);
  shift->addWidget(udDesV2_, 1, 1);
  shift->addWidget(new QLabel(QStringLiteral("x"), gbDesplazamiento_), 1, 2);
  shift->addWidget(cbV2_, 1, 3);
  v->addWidget(gbDesplazamiento_, 3, 0, 1, 2);
  v->addWidget(cbBarras_, 4, 0, 1, 2);

  auto* axes = new QHBoxLayout();
  axes->addWidget(looks, 3);
  axes->addWidget(horizontal, 2);
  axes->addWidget(vertical, 2);
  layout->addLayout(axes);

  auto* buttons = new QHBoxLayout();
  auto add = [&](const char* name, const QString& caption, auto slot) {
    auto* b = Named(new QPushButton(caption, page), name);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
  };
  add("bGuardarPref", QStringLiteral("Guardar preferencias"), [this] { SavePreferences(); });
  add("bRecuperarPref", QStringLiteral("Recuperar preferencias"), [this] { RecoverPreferences(); });
  add("bDefecto", QStringLiteral("Valores por defecto"), [this] { DefaultValues(); });
  add("bAplicar", QStringLiteral("Aplicar cambios"), [this] { emit curveChanged(); });
  add("bCambioNombre", QStringLiteral("Cambio de nombre"), [this] { RenameStars(); });
  buttons->addStretch(1);
  add("bCerrar", QStringLiteral("Cerrar"), [this] { close(); });
  layout->addLayout(buttons);
  return page;
}

QWidget* GraphSettingsWindow::BuildSummaryPage() {
  auto* page = Named(new QWidget(this), "tsResumen");
  auto* layout = new QVBoxLayout(page);
  static const char* const kCaptions[] = {
      "Máximo:", "Mínimo:", "Amplitud:", "Centro:", "Promedio:", "Desv. estándar:"};
  static const char* const kKeys[] = {"Max", "Min", "Amp", "Cen", "Pro", "Des"};
  auto* stars = new QHBoxLayout();
  for (int s = 0; s < 2; ++s) {
    auto* box =
        new QGroupBox(s == 0 ? QStringLiteral("Variable 1") : QStringLiteral("Variable 2"), page);
    box->setObjectName(s == 0 ? QStringLiteral("gbResumen1") : QStringLiteral("gbResumen2"));
    auto* grid = new QGridLayout(box);
    const QString prefix = QStringLiteral("lbV%1").arg(s + 1);
    summary_[s][0] = new ClickableLabel(QStringLiteral("---"), box);
    summary_[s][0]->setObjectName(prefix + QStringLiteral("Nombre"));
    QFont bold = summary_[s][0]->font();
    bold.setBold(true);
    summary_[s][0]->setFont(bold);
    grid->addWidget(summary_[s][0], 0, 0, 1, 2);
    for (int i = 0; i < 6; ++i) {
      auto* caption = new ClickableLabel(QString::fromUtf8(kCaptions[i]), box);
      summary_[s][i + 1] = new ClickableLabel(QStringLiteral("---"), box);
      summary_[s][i + 1]->setObjectName(prefix + QString::fromLatin1(kKeys[i]));
      summary_[s][i + 1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(caption, i + 1, 0);
      grid->addWidget(summary_[s][i + 1], i + 1, 1);
      connect(caption, &ClickableLabel::clicked, this,
              [this, caption] { AddToComment(caption->text()); });
    }
    for (ClickableLabel* label : summary_[s])
      connect(label, &ClickableLabel::clicked, this,
              [this, label] { AddToComment(label->text()); });
    stars->addWidget(box);
  }
  layout->addLayout(stars);

  auto* commentBox = Named(new QGroupBox(QStringLiteral("Comentarios"), page), "gbComentarios");
  auto* grid = new QGridLayout(commentBox);
  auto* targets = new QButtonGroup(commentBox);
  for (int i = 0; i < 2; ++i) {
    commentTargets_[i] = new QRadioButton(commentBox);
    commentTargets_[i]->setObjectName(QStringLiteral("rbComentario%1").arg(i + 1));
    commentTargets_[i]->setAccessibleName(QStringLiteral("Línea marcada %1").arg(i + 1));
    targets->addButton(commentTargets_[i]);
    comments_[i] = new QLineEdit(commentBox);
    comments_[i]->setObjectName(QStringLiteral("edComentario%1").arg(i + 1));
    comments_[i]->setAccessibleName(QStringLiteral("Comentario %1").arg(i + 1));
    auto* clear = new QPushButton(QStringLiteral("Borrar"), commentBox);
    clear->setObjectName(QStringLiteral("bBorrar%1").arg(i + 1));
    grid->addWidget(commentTargets_[i], i, 0);
    grid->addWidget(comments_[i], i, 1);
    grid->addWidget(clear, i, 2);
    connect(clear, &QPushButton::clicked, comments_[i], &QLineEdit::clear);
    connect(comments_[i], &QLineEdit::textChanged, this, [this, i](const QString& text) {
      (i == 0 ? session_.graph.comment1 : session_.graph.comment2) = S(text);
      if (!syncing_) emit lookChanged();
    });
  }
  commentTargets_[0]->setChecked(true);
  auto* hint =
      new QLabel(QStringLiteral("(Pulsa sobre cualquier etiqueta o valor de la parte superior "
                                "para trasladarlo\na la línea marcada)"),
                 commentBox);
  hint->setObjectName(QStringLiteral("lbAyuda"));
  grid->addWidget(hint, 2, 1, 1, 2);
  layout->addWidget(commentBox);
  layout->addStretch(1);
  return page;
}

void GraphSettingsWindow::ConnectReactions() {
  GraphSettings& g = session_.graph;
  auto guard = [this](auto action) {
    return [this, action](auto&&...) {
      if (!syncing_) action();
    };
  };
  // Stars: the trend goes, the curve is rebuilt.
  auto stars = guard([this, &g] {
    g.var1 = std::max(0, cbVar1_->currentIndex());
    g.var2 = std::max(0, cbVar2_->currentIndex());
    ClearTrend();
    emit curveChanged();
    FillSummary();
  });
  connect(cbVar1_, &QComboBox::currentIndexChanged, this, stars);
  connect(cbVar2_, &QComboBox::currentIndexChanged, this, stars);
  for (QRadioButton* rb : {rbDiferencial_, rbAbsoluta_, rbBrillo_, rbFlujos_})
    connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
      if (on && !syncing_) ModeChosen();
    });

  // Time scale: the trend goes, the rows are regrouped.
  const std::pair<QRadioButton*, TimeScale> scales[] = {{rbFJH_, TimeScale::kHjd},
                                                        {rbFJG_, TimeScale::kGjd},
                                                        {rbFJB_, TimeScale::kBjd},
                                                        {rbFMPC_, TimeScale::kMpc},
                                                        {rbFH_, TimeScale::kDateTime}};
  for (const auto& [rb, scale] : scales)
    connect(rb, &QRadioButton::toggled, this, [this, &g, scale](bool on) {
      if (!on || syncing_) return;
      g.scale = scale;
      ClearTrend();
      emit groupingChanged();
    });

  // Grouping: the rows are grouped again (the source rows do not depend on
  // it). Changing a count selects its radio.
  auto grouping = guard([this, &g] {
    g.groupByMinutes = rbMinutos_->isChecked();
    g.groupImages = udImagenes_->value();
    g.groupMinutes = udMinutos_->value();
    emit groupingChanged();
  });
  connect(rbImagenes_, &QRadioButton::toggled, this, [grouping](bool on) {
    if (on) grouping();
  });
  connect(rbMinutos_, &QRadioButton::toggled, this, [grouping](bool on) {
    if (on) grouping();
  });
  connect(udImagenes_, &QSpinBox::valueChanged, this, [this, grouping] {
    if (syncing_) return;
    if (!rbImagenes_->isChecked()) {
      rbImagenes_->setChecked(true);  // its reaction rebuilds
      return;
    }
    grouping();
  });
  connect(udMinutos_, &QSpinBox::valueChanged, this, [this, grouping] {
    if (syncing_) return;
    if (!rbMinutos_->isChecked()) {
      rbMinutos_->setChecked(true);
      return;
    }
    grouping();
  });

  // Sizes, lengths, axes, margin, shifts: redrawn, summary refreshed.
  auto redrawAndSummary = [this](auto assign) {
    return [this, assign](auto&&...) {
      if (syncing_) return;
      assign();
      emit lookChanged();
      FillSummary();
    };
  };
  connect(upVar1T_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.var1Size = upVar1T_->value(); }));
  connect(upVar2T_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.var2Size = upVar2T_->value(); }));
  connect(upMM_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.averageLength = upMM_->value(); }));
  connect(upDown3_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.xDecimals = upDown3_->value(); }));
  connect(upDown4_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.xSeparation = upDown4_->value(); }));
  connect(upDown1_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.yDecimals = upDown1_->value(); }));
  connect(upDown2_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.ySeparation = upDown2_->value(); }));
  connect(upMargen_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.margin = upMargen_->value(); }));
  connect(udDesV1_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.shift1 = udDesV1_->value(); }));
  connect(udDesV2_, &QSpinBox::valueChanged, this,
          redrawAndSummary([this, &g] { g.shift2 = udDesV2_->value(); }));
  connect(cbV1_, &QComboBox::currentIndexChanged, this,
          redrawAndSummary([this, &g] { g.step1 = S(cbV1_->currentText()); }));
  connect(cbV2_, &QComboBox::currentIndexChanged, this,
          redrawAndSummary([this, &g] { g.step2 = S(cbV2_->currentText()); }));

  // Only solid lines may be wider than 1: the engine keeps width and style
  // consistent, the controls follow.
  auto averages = [this, &g](int line, bool style) {
    return [this, &g, line, style](int value) {
      if (syncing_) return;
      if (style)
        SetAverageStyle(g, line, value);
      else
        SetAverageWidth(g, line, value);
      ShowSettings();
      emit lookChanged();
    };
  };
  connect(upMedia1_, &QSpinBox::valueChanged, this, averages(1, false));
  connect(upMedia2_, &QSpinBox::valueChanged, this, averages(2, false));
  connect(cbMediaStyl1_, &QComboBox::currentIndexChanged, this, averages(1, true));
  connect(cbMediaStyl2_, &QComboBox::currentIndexChanged, this, averages(2, true));

  // Visible, error bars, point styles, "Fecha"/"Todo": redrawn.
  auto redraw = [this](auto assign) {
    return [this, assign](auto&&...) {
      if (syncing_) return;
      assign();
      emit lookChanged();
    };
  };
  connect(cbMM1_, &QCheckBox::toggled, this,
          redraw([this, &g] { g.average1Visible = cbMM1_->isChecked(); }));
  connect(cbMM2_, &QCheckBox::toggled, this,
          redraw([this, &g] { g.average2Visible = cbMM2_->isChecked(); }));
  connect(cbBarras_, &QCheckBox::toggled, this,
          redraw([this, &g] { g.errorBars = cbBarras_->isChecked(); }));
  connect(cbVar1S_, &QComboBox::currentIndexChanged, this,
          redraw([this, &g] { g.var1Style = cbVar1S_->currentIndex(); }));
  connect(cbVar2S_, &QComboBox::currentIndexChanged, this,
          redraw([this, &g] { g.var2Style = cbVar2S_->currentIndex(); }));
  connect(rbMMFechas_, &QRadioButton::toggled, this,
          redraw([this, &g] { g.movingAverageByDate = rbMMFechas_->isChecked(); }));

  const std::pair<ColourShape*, int GraphSettings::*> shapes[] = {
      {shape3_, &GraphSettings::backgroundColour},
      {shape1_, &GraphSettings::var1Colour},
      {shape2_, &GraphSettings::var2Colour},
      {shape4_, &GraphSettings::average1Colour},
      {shape5_, &GraphSettings::average2Colour}};
  for (const auto& [shape, member] : shapes)
    connect(shape, &ColourShape::clicked, this, [this, shape, member, &g] {
      if (!PickStoredColour(session_.settings, g.*member)) return;
      shape->SetColour(ColourOfStored(g.*member));
      emit lookChanged();
    });
}

void GraphSettingsWindow::ClearTrend() {
  session_.curves.curve.TrendSlope = 0;
  session_.curves.curve.TrendIntercept = 0;
}

void GraphSettingsWindow::ModeChosen() {
  GraphSettings& g = session_.graph;
  g.mode = rbAbsoluta_->isChecked() ? PhotometryMode::kAbsolute
           : rbBrillo_->isChecked() ? PhotometryMode::kRelativeFlux
           : rbFlujos_->isChecked() ? PhotometryMode::kCounts
                                    : PhotometryMode::kRelative;
  ApplyModeLook();
  ClearTrend();
  emit curveChanged();
  // The absolute mode without a table falls back to the relative one.
  ShowSettings();
  FillSummary();
}

void GraphSettingsWindow::ApplyModeLook() {
  const PhotometryMode mode = session_.graph.mode;
  gbDesplazamiento_->setEnabled(IsRelativeMode(mode));
  const bool counts = mode == PhotometryMode::kCounts;
  upDown1_->setEnabled(!counts);
  lbDecimalesV_->setEnabled(!counts);
}

void GraphSettingsWindow::ShowSettings() {
  const GraphSettings& g = session_.graph;
  syncing_ = true;
  if (g.var1 < cbVar1_->count()) cbVar1_->setCurrentIndex(g.var1);
  if (g.var2 < cbVar2_->count()) cbVar2_->setCurrentIndex(g.var2);
  rbDiferencial_->setChecked(g.mode == PhotometryMode::kRelative);
  rbAbsoluta_->setChecked(g.mode == PhotometryMode::kAbsolute);
  rbBrillo_->setChecked(g.mode == PhotometryMode::kRelativeFlux);
  rbFlujos_->setChecked(g.mode == PhotometryMode::kCounts);
  shape3_->SetColour(ColourOfStored(g.backgroundColour));
  shape1_->SetColour(ColourOfStored(g.var1Colour));
  shape2_->SetColour(ColourOfStored(g.var2Colour));
  shape4_->SetColour(ColourOfStored(g.average1Colour));
  shape5_->SetColour(ColourOfStored(g.average2Colour));
  upVar1T_->setValue(g.var1Size);
  upVar2T_->setValue(g.var2Size);
  cbVar1S_->setCurrentIndex(g.var1Style);
  cbVar2S_->setCurrentIndex(g.var2Style);
  upMedia1_->setValue(g.average1Width);
  upMedia2_->setValue(g.average2Width);
  cbMediaStyl1_->setCurrentIndex(g.average1Style);
  cbMediaStyl2_->setCurrentIndex(g.average2Style);
  cbMM1_->setChecked(g.average1Visible);
  cbMM2_->setChecked(g.average2Visible);
  upMM_->setValue(g.averageLength);
  rbMMFechas_->setChecked(g.movingAverageByDate);
  rbMMTodo_->setChecked(!g.movingAverageByDate);
  rbFJH_->setChecked(g.scale == TimeScale::kHjd);
  rbFJG_->setChecked(g.scale == TimeScale::kGjd);
  rbFJB_->setChecked(g.scale == TimeScale::kBjd);
  rbFMPC_->setChecked(g.scale == TimeScale::kMpc);
  rbFH_->setChecked(g.scale == TimeScale::kDateTime);
  upDown3_->setValue(g.xDecimals);
  upDown4_->setValue(g.xSeparation);
  rbImagenes_->setChecked(!g.groupByMinutes);
  rbMinutos_->setChecked(g.groupByMinutes);
  udImagenes_->setValue(g.groupImages);
  udMinutos_->setValue(g.groupMinutes);
  upDown1_->setValue(g.yDecimals);
  upDown2_->setValue(g.ySeparation);
  upMargen_->setValue(g.margin);
  udDesV1_->setValue(g.shift1);
  udDesV2_->setValue(g.shift2);
  cbV1_->setCurrentText(Q(g.step1));
  cbV2_->setCurrentText(Q(g.step2));
  cbBarras_->setChecked(g.errorBars);
  comments_[0]->setText(Q(g.comment1));
  comments_[1]->setText(Q(g.comment2));
  ApplyModeLook();
  syncing_ = false;
}

void GraphSettingsWindow::FillStarChoosers() {
  const std::vector<std::string>& names = session_.run.results.lbNomVar;
  syncing_ = true;
  cbVar1_->clear();
  cbVar2_->clear();
  cbVar2_->addItem(QStringLiteral("- Ninguna -"));
  for (const std::string& name : names) {
    cbVar1_->addItem(Q(name));
    cbVar2_->addItem(Q(name));
  }
  GraphSettings& g = session_.graph;
  if (g.var1 >= static_cast<int>(names.size())) g.var1 = 0;
  if (g.var2 > static_cast<int>(names.size())) g.var2 = 0;
  syncing_ = false;
  ShowSettings();
}

void GraphSettingsWindow::FillSummary() {
  const GraphSettings& g = session_.graph;
  const auto& rows = session_.curves.curve.SourceRows;
  const StarSummary stars[] = {
      lumenda::FillSummary(rows, g.var1, Variable1Name(session_.run.results, g)),
      lumenda::FillSummary(rows, HasVariable2(g) ? g.var2 - 1 : -1,
                           Variable2Name(session_.run.results, g))};
  for (int s = 0; s < 2; ++s) {
    summary_[s][0]->setText(Q(stars[s].name));
    for (int i = 0; i < 6; ++i) summary_[s][i + 1]->setText(Q(stars[s].values[i]));
  }
  syncing_ = true;
  comments_[0]->setText(Q(g.comment1));
  comments_[1]->setText(Q(g.comment2));
  syncing_ = false;
}

void GraphSettingsWindow::AddToComment(const QString& text) {
  QLineEdit* line = commentTargets_[1]->isChecked() ? comments_[1] : comments_[0];
  line->setText(Q(AppendToComment(S(line->text()), S(text))));
}

void GraphSettingsWindow::SavePreferences() {
  const Status saved = SaveGraphSettings(session_.appDir, session_.graph);
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
}

void GraphSettingsWindow::RecoverPreferences() {
  const Status loaded = LoadGraphSettings(session_.appDir, session_.graph);
  // Lines before a value that does not convert stay applied.
  ShowSettings();
  emit geometryRestored();
  emit lookChanged();
  if (!loaded.ok()) Dialogs().Error(Q(loaded.message));
}

void GraphSettingsWindow::DefaultValues() {
  RestoreDefaultLook(session_.graph);
  ShowSettings();
  emit lookChanged();
}

void GraphSettingsWindow::RenameStars() {
  const Status available = CheckRenameAvailable(session_.appDir, session_.run.results.lbNomVar);
  if (!available.ok()) {
    Dialogs().Error(Q(available.message));
    return;
  }
  const int var1 = session_.graph.var1, var2 = session_.graph.var2;
  if (rename_) rename_->exec();
  FillStarChoosers();
  session_.graph.var1 = var1 < cbVar1_->count() ? var1 : 0;
  session_.graph.var2 = var2 < cbVar2_->count() ? var2 : 0;
  ShowSettings();
  emit namesChanged();
  emit curveChanged();
  FillSummary();
}

void GraphSettingsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ShowSettings();
  FillSummary();
}

void GraphSettingsWindow::hideEvent(QHideEvent* event) {
  session_.settings.fConfGLeft = x();
  session_.settings.fConfGTop = y();
  QDialog::hideEvent(event);
}

}  // namespace lumenda::ui
