#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "sample/sample_night.h"

namespace lumenda::ui::test {

void ScriptedDialogs::Record(char kind, const QString& text) {
  shown.append({kind, text});
  if (onMessage) onMessage(shown.back());
}

bool ScriptedDialogs::Confirm(const QString& text) {
  Record('C', text);
  return confirmAnswers.isEmpty() ? true : confirmAnswers.takeFirst();
}

QStringList ScriptedDialogs::OpenFiles(const FileChoice& choice) {
  choices.append(choice);
  return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
}

QString ScriptedDialogs::OpenFile(const FileChoice& choice) {
  const QStringList files = OpenFiles(choice);
  return files.isEmpty() ? QString() : files.first();
}

QString ScriptedDialogs::SaveFile(const FileChoice& choice) {
  choices.append(choice);
  return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

std::optional<QColor> ScriptedDialogs::ChooseColour(const QColor&, std::vector<unsigned>&) {
  return std::nullopt;
}

QString ScriptedDialogs::Log() const {
  QStringList lines;
  for (const Shown& s : shown)
    lines.append(QChar::fromLatin1(s.kind) + QStringLiteral(":") + s.text);
  return lines.join(QStringLiteral("\n"));
}

QStringList ScriptedDialogs::Texts(char kind) const {
  QStringList out;
  for (const Shown& s : shown) {
    if (s.kind == kind) out.append(s.text);
  }
  return out;
}

TestHome::TestHome() : previous_(qgetenv("LUMENDA_DIR")) {
  qputenv("LUMENDA_DIR", QDir(dir_.path()).absolutePath().toUtf8() + "/");
}

TestHome::~TestHome() {
  qputenv("LUMENDA_DIR", previous_);
}

QString SampleNightFolder() {
  static QTemporaryDir dir;
  static bool written = false;
  if (!written) {
    const Status status = WriteSampleNight(dir.path().toStdString(), 60, 1);
    if (!status.ok()) qFatal("%s", status.message.c_str());
    written = true;
  }
  return dir.path();
}

void WhenModalShows(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs) {
  auto* timer = new QTimer(qApp);
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->objectName() == objectName && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
      // A failed check inside `act` must not leave the test waiting on the
      // window it was meant to close.
      if (QTest::currentTestFailed() && modal->isVisible()) modal->hide();
      return;
    }
    *waited += timer->interval();
    if (*waited > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      qWarning("the window %s never showed", qPrintable(objectName));
    }
  });
  timer->start(10);
}

void Retype(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, text);
}

void Click(QWidget* root, const char* name) {
  auto* button = Find<QAbstractButton>(root, name);
  QVERIFY2(button, name);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

}  // namespace lumenda::ui::test
