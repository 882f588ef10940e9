#include "widgets/masked_edit.h"

#include <QFocusEvent>
#include <QFontDatabase>

#include "platform/text.h"
#include "settings/masked_field.h"

namespace lumenda::ui {

MaskedEdit::MaskedEdit(const QString& mask, const char* objectName, QWidget* parent)
    : QLineEdit(parent), mask_(S(mask)) {
  setObjectName(QString::fromLatin1(objectName));
  // In Qt's masks "9" is a required digit and "0" an optional one.
  QString qtMask = mask;
  qtMask.replace(QLatin1Char('0'), QLatin1Char('9'));
  setInputMask(qtMask + QStringLiteral(";_"));
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const int chars = static_cast<int>(mask.size()) + 2;
  setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 16);
  lastComplete_ = mask_;  // the mask itself reads as zeros
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (IsComplete()) lastComplete_ = S(text());
  });
}

namespace {

// The text already has the mask's shape: digits where it has "0", its
// literals elsewhere.
bool HasShape(const std::string& text, const std::string& mask) {
  if (text.size() != mask.size()) return false;
  for (size_t i = 0; i < mask.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (mask[i] == '0' ? !digit : text[i] != mask[i]) return false;
  }
  return true;
}

}  // namespace

bool MaskedEdit::SetValue(const std::string& value) {
  const auto fitted = HasShape(value, mask_) ? std::optional(value) : FitMask(value, mask_);
  if (!fitted) return false;
  setText(Q(*fitted));
  lastComplete_ = *fitted;
  return true;
}

std::string MaskedEdit::Value() const {
  return IsComplete() ? S(text()) : lastComplete_;
}

void MaskedEdit::focusOutEvent(QFocusEvent* event) {
  // An incomplete field goes back to its last complete value.
  if (!IsComplete()) setText(Q(lastComplete_));
  QLineEdit::focusOutEvent(event);
}

}  // namespace lumenda::ui
