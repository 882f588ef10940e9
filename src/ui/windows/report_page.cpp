#include "windows/report_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "curves/aavso_report.h"
#include "curves/general_report.h"
#include "curves/minor_reports.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/text_file.h"
#include "windows/aavso_dialog.h"
#include "windows/alcdef_dialog.h"
#include "windows/cdr_dialog.h"

namespace lumenda::ui {
namespace {

constexpr char kUnreadable[] = "No se puede leer el fichero ";

}  // namespace

ReportPage::ReportPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("TabSheet3"));
  auto box = [this](const char* name, const QString& caption) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    return b;
  };
  cbOrden2_ = box("cbOrden2", QStringLiteral("N. Orden"));
  cbCant2_ = box("cbCant2", QStringLiteral("Cantidad"));
  cbRSR2_ = box("cbRSR2", QStringLiteral("RSR"));
  cbAirmass_ = box("cbAirmass", QStringLiteral("Airmass"));
  cbTrans_ = box("cbTrans", QStringLiteral("Transparencia"));
  cbFWHM_ = box("cbFWHM", QStringLiteral("FWHM"));
  cbBrillo_ = box("cbBrillo", QStringLiteral("Brillo de fondo"));
  upDec2_ = new QSpinBox(this);
  upDec2_->setObjectName(QStringLiteral("upDec2"));
  upDec2_->setRange(1, 5);
  upDec2_->setAccessibleName(QStringLiteral("Decimales"));
  lbDecimales_ = new QLabel(QStringLiteral("Decimales"), this);
  lbDecimales_->setBuddy(upDec2_);
  cbAAVSO_ = box("cbAAVSO", QStringLiteral("Informe AAVSO"));
  cbALCDEF_ = box("cbALCDEF", QStringLiteral("Informe ALCDEF"));
  cbCdR_ = box("cbCdR", QStringLiteral("Informe CdR"));
  mInforme2_ = new QPlainTextEdit(this);
  mInforme2_->setObjectName(QStringLiteral("mInforme2"));
  mInforme2_->setAccessibleName(QStringLiteral("Informe"));
  mInforme2_->setReadOnly(true);
  mInforme2_->setLineWrapMode(QPlainTextEdit::NoWrap);
  mInforme2_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
  auto* settings = new QPushButton(QStringLiteral("Configuración"), this);
  settings->setObjectName(QStringLiteral("bConfiguracion2"));
  button8_ = new QPushButton(QStringLiteral("Guardar como..."), this);
  button8_->setObjectName(QStringLiteral("Button8"));

  auto* columns = new QGroupBox(QStringLiteral("Columnas"), this);
  columns->setObjectName(QStringLiteral("gbColumnas"));
  auto* cl = new QVBoxLayout(columns);
  for (QCheckBox* b : {cbOrden2_, cbCant2_, cbRSR2_, cbAirmass_, cbTrans_, cbFWHM_, cbBrillo_})
    cl->addWidget(b);
  auto* decimals = new QHBoxLayout();
  decimals->addWidget(lbDecimales_);
  decimals->addWidget(upDec2_);
  cl->addLayout(decimals);
  auto* formats = new QGroupBox(QStringLiteral("Formatos"), this);
  formats->setObjectName(QStringLiteral("gbFormatos"));
  auto* fl = new QVBoxLayout(formats);
  for (QCheckBox* b : {cbAAVSO_, cbALCDEF_, cbCdR_}) fl->addWidget(b);
  auto* side = new QVBoxLayout();
  side->addWidget(columns);
  side->addWidget(formats);
  side->addStretch(1);
  side->addWidget(settings);
  side->addWidget(button8_);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(side);
  layout->addWidget(mInforme2_, 1);

  const Settings& s = session_.settings;
  const std::pair<QCheckBox*, bool> initial[] = {
      {cbOrden2_, s.gOrd}, {cbCant2_, s.gCant}, {cbRSR2_, s.gRsr},  {cbAirmass_, s.gAir},
      {cbTrans_, s.gTra},  {cbFWHM_, s.gFwhm},  {cbBrillo_, s.gBri}};
  for (const auto& [b, on] : initial) {
    b->setChecked(on);
    connect(b, &QCheckBox::toggled, this, [this] { OptionChanged(); });
  }
  upDec2_->setValue(std::clamp(s.gDec, 1, 5));
  connect(upDec2_, &QSpinBox::valueChanged, this, [this] { OptionChanged(); });
  // The format boxes react to the user's click only.
  connect(cbAAVSO_, &QCheckBox::clicked, this, [this](bool on) { AavsoClicked(on); });
  connect(cbALCDEF_, &QCheckBox::clicked, this, [this](bool on) { AlcdefClicked(on); });
  connect(cbCdR_, &QCheckBox::clicked, this, [this](bool on) { CdrClicked(on); });
  connect(settings, &QPushButton::clicked, this, &ReportPage::settingsRequested);
  connect(button8_, &QPushButton::clicked, this, [this] { SaveAs(); });
}

void ReportPage::SetDialogs(AavsoDialog* aavso, AlcdefDialog* alcdef, CdrDialog* cdr) {
  aavso_ = aavso;
  alcdef_ = alcdef;
  cdr_ = cdr;
}

void ReportPage::OptionChanged() {
  Settings& s = session_.settings;
  s.gOrd = cbOrden2_->isChecked();
  s.gCant = cbCant2_->isChecked();
  s.gRsr = cbRSR2_->isChecked();
  s.gAir = cbAirmass_->isChecked();
  s.gTra = cbTrans_->isChecked();
  s.gFwhm = cbFWHM_->isChecked();
  s.gBri = cbBrillo_->isChecked();
  s.gDec = upDec2_->value();
  GeneralReport();
}

void ReportPage::EnableOptions(QCheckBox* shown) {
  const PhotometryMode mode = session_.graph.mode;
  const bool general = shown == nullptr;
  for (QCheckBox* b : {cbOrden2_, cbCant2_, cbRSR2_, cbAirmass_, cbTrans_, cbFWHM_, cbBrillo_})
    b->setEnabled(general);
  const bool decimals = general && mode != PhotometryMode::kCounts;
  upDec2_->setEnabled(decimals);
  lbDecimales_->setEnabled(decimals);
  // The box of the report shown stays enabled, to go back to the general one.
  cbAAVSO_->setEnabled((general && !IsFluxMode(mode)) || shown == cbAAVSO_);
  cbALCDEF_->setEnabled((general && !IsFluxMode(mode)) || shown == cbALCDEF_);
  cbCdR_->setEnabled(general || shown == cbCdR_);
}

void ReportPage::GeneralReport() {
  for (QCheckBox* b : {cbAAVSO_, cbALCDEF_, cbCdR_}) b->setChecked(false);
  EnableOptions(nullptr);
  // The worker reads the comparison stars of the results file itself.
  struct Input {
    LightCurve curve;
    GraphSettings graph;
    ReportOptions options;
    ResultsTables tables;
    std::string resultsPath, observer, versionText;
  };
  auto input = std::make_shared<Input>();
  const LightCurve& curve = session_.curves.curve;
  input->curve.GroupedRows = curve.GroupedRows;
  input->curve.RelativeMode = curve.RelativeMode;
  input->curve.EnsembleFlag = curve.EnsembleFlag;
  input->curve.starCount = curve.starCount;
  input->curve.TrendSlope = curve.TrendSlope;
  input->curve.TrendIntercept = curve.TrendIntercept;
  input->curve.ChartDayBase = curve.ChartDayBase;
  input->graph = session_.graph;
  input->options = ReportOptionsFromSettings(session_.settings);
  const ResultsTables& results = session_.run.results;
  input->tables.lbNomVar = results.lbNomVar;
  input->tables.lVarRADec = results.lVarRADec;
  input->tables.ResultRAText = results.ResultRAText;
  input->tables.ResultDecText = results.ResultDecText;
  input->resultsPath = ResultsFilePath(session_);
  input->observer = session_.settings.obs;
  input->versionText = session_.versionText;
  Build([input](std::stop_token stop) -> Result<Report> {
    const auto lines = ReadTextLines(input->resultsPath);
    if (!lines) return Result<Report>::Fail(kUnreadable + input->resultsPath, FailureKind::kIo);
    const ReportSource source{&input->tables, ComparisonLines(*lines), input->observer,
                              input->versionText};
    return lumenda::GeneralReport(input->curve, input->graph, input->options, source, stop);
  });
}

void ReportPage::Build(std::function<Result<Report>(std::stop_token)> work) {
  button8_->setEnabled(false);
  mInforme2_->setPlainText(QStringLiteral("Calculando informe..."));
  work_.Start(
      this, [work = std::move(work)](std::stop_token stop) { return work(stop); },
      [this](Result<Report> report) {
        button8_->setEnabled(true);
        if (!report.ok()) Dialogs().Error(Q(report.message));
        ShowReport(std::move(report.value));
      });
}

void ReportPage::ShowReport(Report lines) {
  lines_ = std::move(lines);
  mInforme2_->setPlainText(Q(JoinLines(lines_, "\n")));
  emit reportShown();
}

void ReportPage::AavsoClicked(bool checked) {
  if (!checked) {
    GeneralReport();
    return;
  }
  const LightCurve& curve = session_.curves.curve;
  const Result<std::string> check =
      CheckAavsoReport(curve, session_.run.results.tAbsoluta.empty(), HasVariable2(session_.graph));
  if (!check.ok()) {
    Dialogs().Error(Q(check.message));
    cbAAVSO_->setChecked(false);
    return;
  }
  if (!check.value.empty()) Dialogs().Warning(Q(check.value));
  if (!aavso_ || !aavso_->Ask()) {
    cbAAVSO_->setChecked(false);
    return;
  }
  EnableOptions(cbAAVSO_);
  LightCurve rows;
  rows.AavsoRows = curve.AavsoRows;
  rows.RelativeMode = curve.RelativeMode;
  rows.EnsembleFlag = curve.EnsembleFlag;
  Build([fields = session_.reports.aavso, rows = std::move(rows),
         field = FieldPosition(session_.run.results), decimals = upDec2_->value(),
         version = session_.versionText](std::stop_token) {
    return Result<Report>::Ok(WriteAavsoReport(fields, rows, field, decimals, version));
  });
}

void ReportPage::AlcdefClicked(bool checked) {
  if (!checked) {
    GeneralReport();
    return;
  }
  if (!alcdef_ || !alcdef_->Ask()) {
    cbALCDEF_->setChecked(false);
    return;
  }
  EnableOptions(cbALCDEF_);
  LightCurve rows;
  rows.GroupedRows = session_.curves.curve.GroupedRows;
  Build([fields = session_.reports.alcdef, rows = std::move(rows)](std::stop_token) {
    return Result<Report>::Ok(WriteAlcdefReport(fields, rows));
  });
}

void ReportPage::CdrClicked(bool checked) {
  if (!checked) {
    GeneralReport();
    return;
  }
  if (session_.graph.mode != PhotometryMode::kAbsolute) {
    Dialogs().Error(Q(kCdrNeedsAbsolute));
    cbCdR_->setChecked(false);
    return;
  }
  if (!cdr_ || !cdr_->Ask()) {
    cbCdR_->setChecked(false);
    return;
  }
  EnableOptions(cbCdR_);
  LightCurve rows;
  rows.GroupedRows = session_.curves.curve.GroupedRows;
  Build([fields = session_.reports.cdr, rows = std::move(rows), path = ResultsFilePath(session_),
         version = session_.versionText](std::stop_token) -> Result<Report> {
    const auto lines = ReadTextLines(path);
    if (!lines) return Result<Report>::Fail(kUnreadable + path, FailureKind::kIo);
    return Result<Report>::Ok(WriteCdrReport(fields, rows, ComparisonLines(*lines), version));
  });
}

void ReportPage::SaveAs() {
  const QString path = Dialogs().SaveFile(
      FileChoice{QStringLiteral("Guardar como"), Q(session_.settings.dirDato), QString(),
                 QStringLiteral("Archivos de Texto (*.txt)"), QStringLiteral("txt")});
  if (path.isEmpty()) return;
  std::string text = JoinLines(lines_, "\n");
  const Status written = WriteFileAtomic(S(path), text);
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

}  // namespace lumenda::ui
