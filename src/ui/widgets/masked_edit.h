// A field with a digit mask as the settings use them: "0" a required digit,
// "." and blanks literal ("00.00", "000 00 00").
#pragma once

#include <QLineEdit>
#include <string>

namespace lumenda::ui {

class MaskedEdit : public QLineEdit {
  Q_OBJECT

 public:
  MaskedEdit(const QString& mask, const char* objectName, QWidget* parent = nullptr);

  // Shows `value` when it fits the mask (a number is formatted to it: "7.5"
  // shows as 07.50); otherwise keeps the current text. True when shown.
  bool SetValue(const std::string& value);
  // The text as the mask shows it ("07.50"); the last complete value while
  // the field is being edited and incomplete.
  std::string Value() const;
  // Every required digit is filled.
  bool IsComplete() const { return hasAcceptableInput(); }

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::string mask_;
  std::string lastComplete_;
};

}  // namespace lumenda::ui
