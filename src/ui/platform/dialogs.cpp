#include "platform/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QTreeView>

namespace lumenda::ui {
namespace {

QWidget* ParentWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

int ShowBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, kMessageCaption, text, buttons, ParentWindow());
  // Spanish even where Qt's own translation is not installed.
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("Aceptar"));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
    cancel->setText(QStringLiteral("Cancelar"));
  }
  return box.exec();
}

class QtDialogs : public DialogProvider {
 public:
  void Error(const QString& text) override {
    ShowBox(QMessageBox::Critical, text, QMessageBox::Ok);
  }
  void Warning(const QString& text) override {
    ShowBox(QMessageBox::Warning, text, QMessageBox::Ok);
  }
  void Info(const QString& text) override {
    ShowBox(QMessageBox::Information, text, QMessageBox::Ok);
  }
  bool Confirm(const QString& text) override {
    return ShowBox(QMessageBox::Information, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
  }

  QStringList OpenFiles(const FileChoice& choice) override {
    auto dialog = MakeFileChooser(choice, QFileDialog::ExistingFiles);
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
  }
  QString OpenFile(const FileChoice& choice) override {
    auto dialog = MakeFileChooser(choice, QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().first();
  }
  QString SaveFile(const FileChoice& choice) override {
    auto dialog = MakeFileChooser(choice, QFileDialog::AnyFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().first();
  }
  std::optional<QColor> ChooseColour(const QColor& initial,
                                     std::vector<unsigned>& customColours) override {
    const int n =
        std::min<int>(QColorDialog::customCount(), static_cast<int>(customColours.size()));
    for (int i = 0; i < n; ++i) QColorDialog::setCustomColor(i, QColor::fromRgb(customColours[i]));
    const QColor chosen = QColorDialog::getColor(initial, ParentWindow(), kMessageCaption);
    for (int i = 0; i < n; ++i) customColours[i] = QColorDialog::customColor(i).rgb() & 0xFFFFFFu;
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  }
};

QtDialogs& RealDialogs() {
  static QtDialogs dialogs;
  return dialogs;
}

DialogProvider* current = nullptr;

}  // namespace

std::unique_ptr<QFileDialog> MakeFileChooser(const FileChoice& choice, int mode) {
  auto dialog =
      std::make_unique<QFileDialog>(ParentWindow(), choice.caption, choice.folder, choice.filter);
  dialog->setFileMode(static_cast<QFileDialog::FileMode>(mode));
  if (mode == QFileDialog::AnyFile) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(choice.defaultSuffix);
  }
  // The filter's name only: the patterns are spelled for every case.
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  if (!choice.fileName.isEmpty()) dialog->selectFile(choice.fileName);
  dialog->resize(820, 520);
  // The name column would take nearly all of it and clip size, type and date.
  if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
    const int widths[] = {240, 90, 110, 220};
    for (int column = 0; column < 4; ++column) {
      details->header()->resizeSection(column, widths[column]);
    }
  }
  return dialog;
}

void InstallQtTranslation() {
  static QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts);
  }
}

QString FitsFilter() {
  return QStringLiteral("FITS (*.[fF][iI][tT] *.[fF][tT][sS] *.[fF][iI][tT][sS])");
}

QString ResultsFilter() {
  return QStringLiteral("Datos de proceso (*.txt)");
}

DialogProvider& Dialogs() {
  return current ? *current : RealDialogs();
}

ScopedDialogs::ScopedDialogs(DialogProvider& provider) : previous_(current) {
  current = &provider;
}
ScopedDialogs::~ScopedDialogs() {
  current = previous_;
}

}  // namespace lumenda::ui
