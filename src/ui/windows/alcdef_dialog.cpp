#include "windows/alcdef_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "curves/minor_reports.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/text_file.h"

namespace lumenda::ui {
namespace {

// The fields by keyword: the edit's number, its caption and its place in
// AlcdefFields.
struct FieldSpec {
  int edit;
  const char* caption;
  std::string AlcdefFields::*member;
  bool readOnly;
};

constexpr FieldSpec kFields[] = {
    {1, "OBJECTNUMBER", &AlcdefFields::objectNumber, false},
    {2, "OBJECTNAME", &AlcdefFields::objectName, false},
    {3, "MPCDESIGN", &AlcdefFields::mpcDesig, false},
    {4, "CONTACTNAME", &AlcdefFields::contactName, false},
    {5, "CONTACTINFO", &AlcdefFields::contactInfo, false},
    {6, "OBSERVERS", &AlcdefFields::observers, false},
    {7, "OBSLONGITUDE", &AlcdefFields::obsLongitude, false},
    {8, "OBSLATITUDE", &AlcdefFields::obsLatitude, false},
    {10, "SESSIONDATE", &AlcdefFields::sessionDate, false},
    {11, "SESSIONTIME", &AlcdefFields::sessionTime, false},
    {74, "DIFFERMAGS", &AlcdefFields::differMags, true},
    {75, "STANDARD", &AlcdefFields::standard, true},
    {73, "REDUCEDMAGS", &AlcdefFields::reducedMags, true},
    {72, "LTCTYPE", &AlcdefFields::ltcType, true},
    {71, "LTCAPP", &AlcdefFields::ltcApp, true},
    {14, "OBJECTRA", &AlcdefFields::objectRa, false},
    {16, "OBJECTDEC", &AlcdefFields::objectDec, false},
};
// COMPMAG1-10 and COMPNAME1-10.
constexpr int kCompMagEdits[10] = {9, 12, 13, 15, 17, 18, 19, 20, 21, 22};
constexpr int kCompNameFirst = 23;

QComboBox* Choices(QWidget* parent, const char* name, const QString& accessible,
                   const QStringList& items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(accessible);
  box->addItems(items);
  return box;
}

QStringList ItemsOf(const auto& list) {
  QStringList items;
  for (const char* item : list) items.append(QString::fromLatin1(item));
  return items;
}

}  // namespace

AlcdefDialog::AlcdefDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFAst"));
  setWindowTitle(QStringLiteral("Lumenda - Informe ALCDEF"));
  setModal(true);
  edits_.assign(76, nullptr);
  auto makeEdit = [this](int number, const QString& caption, bool readOnly, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QStringLiteral("Edit%1").arg(number));
    e->setAccessibleName(caption);
    e->setReadOnly(readOnly);
    edits_[static_cast<size_t>(number)] = e;
    return e;
  };

  auto* metadata = new QGroupBox(QStringLiteral("Metadatos"), this);
  auto* grid = new QGridLayout(metadata);
  comboBox1_ = Choices(metadata, "ComboBox1", QStringLiteral("REVISEDDATA"),
                       {QStringLiteral("TRUE"), QStringLiteral("FALSE")});
  comboBox4_ = Choices(metadata, "ComboBox4", QStringLiteral("FILTER"), ItemsOf(kAlcdefFilters));
  comboBox5_ = Choices(metadata, "ComboBox5", QStringLiteral("MAGBAND"), ItemsOf(kAlcdefBands));
  int row = 0, column = 0;
  auto place = [&](const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, metadata);
    label->setBuddy(field);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1);
    if (column == 0) {
      column = 2;
    } else {
      column = 0;
      ++row;
    }
  };
  place(QStringLiteral("REVISEDDATA"), comboBox1_);
  for (const FieldSpec& f : kFields) {
    if (f.edit == 74) {  // the read-only keywords follow the filter and band
      place(QStringLiteral("FILTER"), comboBox4_);
      place(QStringLiteral("MAGBAND"), comboBox5_);
    }
    const QString caption = QString::fromLatin1(f.caption);
    place(caption, makeEdit(f.edit, caption, f.readOnly, metadata));
  }

  auto* comparisons = new QGroupBox(QStringLiteral("Estrellas de comparación"), this);
  auto* compGrid = new QGridLayout(comparisons);
  for (int k = 0; k < 10; ++k) {
    const QString mag = QStringLiteral("COMPMAG%1").arg(k + 1);
    const QString name = QStringLiteral("COMPNAME%1").arg(k + 1);
    auto* magLabel = new QLabel(mag, comparisons);
    auto* nameLabel = new QLabel(name, comparisons);
    QLineEdit* magEdit = makeEdit(kCompMagEdits[k], mag, false, comparisons);
    QLineEdit* nameEdit = makeEdit(kCompNameFirst + k, name, false, comparisons);
    magLabel->setBuddy(magEdit);
    nameLabel->setBuddy(nameEdit);
    magEdit->setMaximumWidth(80);
    const int r = k % 5, c = (k / 5) * 4;
    compGrid->addWidget(magLabel, r, c);
    compGrid->addWidget(magEdit, r, c + 1);
    compGrid->addWidget(nameLabel, r, c + 2);
    compGrid->addWidget(nameEdit, r, c + 3);
  }

  memo1_ = new QPlainTextEdit(this);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setAccessibleName(QStringLiteral("COMMENT"));
  memo1_->setMaximumHeight(70);
  auto* commentLabel = new QLabel(QStringLiteral("COMMENT"), this);
  commentLabel->setBuddy(memo1_);

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
  layout->addWidget(metadata);
  layout->addWidget(comparisons);
  layout->addWidget(commentLabel);
  layout->addWidget(memo1_);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* AlcdefDialog::Edit(int number) const {
  return edits_.at(static_cast<size_t>(number));
}

void AlcdefDialog::Show(const AlcdefFields& fields) {
  comboBox1_->setCurrentText(Q(fields.revisedData));
  comboBox4_->setCurrentText(Q(fields.filter));
  comboBox5_->setCurrentText(Q(fields.magBand));
  for (const FieldSpec& f : kFields) Edit(f.edit)->setText(Q(fields.*f.member));
  for (int k = 0; k < 10; ++k) {
    Edit(kCompMagEdits[k])->setText(Q(fields.compMag[static_cast<size_t>(k)]));
    Edit(kCompNameFirst + k)->setText(Q(fields.compName[static_cast<size_t>(k)]));
  }
  memo1_->setPlainText(Q(JoinLines(fields.comments, "\n")));
}

AlcdefFields AlcdefDialog::Fields() const {
  AlcdefFields fields;
  fields.revisedData = S(comboBox1_->currentText());
  fields.filter = S(comboBox4_->currentText());
  fields.magBand = S(comboBox5_->currentText());
  for (const FieldSpec& f : kFields) fields.*f.member = S(Edit(f.edit)->text());
  for (int k = 0; k < 10; ++k) {
    fields.compMag[static_cast<size_t>(k)] = S(Edit(kCompMagEdits[k])->text());
    fields.compName[static_cast<size_t>(k)] = S(Edit(kCompNameFirst + k)->text());
  }
  fields.comments = SplitLines(S(memo1_->toPlainText()));
  return fields;
}

void AlcdefDialog::Fill() {
  const auto lines = ReadTextLines(ResultsFilePath(session_));
  AlcdefFields& fields = session_.reports.alcdef;
  PrefillAlcdefFields(fields, session_.appDir, session_.settings,
                      Variable1Name(session_.run.results, session_.graph), session_.curves.curve,
                      lines.value_or(std::vector<std::string>{}), session_.graph.mode);
  Show(fields);
}

bool AlcdefDialog::Ask() {
  Fill();
  const bool accepted = exec() == QDialog::Accepted;
  AlcdefFields& fields = session_.reports.alcdef;
  fields = Fields();
  const Status saved = SaveAstIni(session_.appDir, fields);
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
  return accepted;
}

}  // namespace lumenda::ui
