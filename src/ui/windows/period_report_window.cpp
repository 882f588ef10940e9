#include "windows/period_report_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/text_file.h"

namespace lumenda::ui {

PeriodReportWindow::PeriodReportWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFInfoPeri"));
  setWindowTitle(QStringLiteral("Lumenda - Informe"));
  setModal(true);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("mmInforme"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setAccessibleName(QStringLiteral("Informe"));
  save_ = new QPushButton(QStringLiteral("Guardar como..."), this);
  save_->setObjectName(QStringLiteral("btGuardar"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addLayout(buttons);
  resize(360, 560);

  connect(save_, &QPushButton::clicked, this, &PeriodReportWindow::SaveAs);
}

void PeriodReportWindow::Fill(const std::vector<std::string>& lines) {
  text_->setPlainText(Q(lines).join(QLatin1Char('\n')));
}

void PeriodReportWindow::Open(const std::vector<std::string>& lines) {
  Fill(lines);
  exec();
}

void PeriodReportWindow::SaveAs() {
  const QString path =
      Dialogs().SaveFile({QStringLiteral("Guardar informe"), QString(), QString(),
                          QStringLiteral("Archivos de Texto (*.txt)"), QStringLiteral("txt")});
  if (path.isEmpty()) return;
  const Status written =
      WriteFileAtomic(S(path), JoinLines(S(text_->toPlainText().split(QLatin1Char('\n')))));
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

}  // namespace lumenda::ui
