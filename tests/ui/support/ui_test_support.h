// Helpers of the desktop tests: scripted message boxes and file choosers, a
// private user folder, finding controls by their objectName and acting on a
// modal window once it shows.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/dialogs.h"

class QLineEdit;

namespace lumenda::ui::test {

// Answers every message box and file chooser from a script and records what
// was shown. A chooser with no scripted answer is cancelled.
class ScriptedDialogs : public DialogProvider {
 public:
  ScriptedDialogs() : scope_(*this) {}

  struct Shown {
    char kind;  // 'E' error, 'W' warning, 'I' information, 'C' confirmation
    QString text;
  };
  QList<Shown> shown;
  QList<FileChoice> choices;  // every file chooser, in order

  QList<bool> confirmAnswers;      // taken in order; OK when none is left
  QList<QStringList> openAnswers;  // answers of OpenFiles / OpenFile
  QStringList saveAnswers;         // answers of SaveFile
  // Called as each message box shows (for a test that looks at the windows
  // behind it).
  std::function<void(const Shown&)> onMessage;

  // "E:text" lines of everything shown, joined by "\n".
  QString Log() const;
  // The texts shown of one kind.
  QStringList Texts(char kind) const;
  void Clear() {
    shown.clear();
    choices.clear();
  }

  void Error(const QString& text) override { Record('E', text); }
  void Warning(const QString& text) override { Record('W', text); }
  void Info(const QString& text) override { Record('I', text); }
  bool Confirm(const QString& text) override;
  QStringList OpenFiles(const FileChoice& choice) override;
  QString OpenFile(const FileChoice& choice) override;
  QString SaveFile(const FileChoice& choice) override;
  std::optional<QColor> ChooseColour(const QColor& initial,
                                     std::vector<unsigned>& customColours) override;

 private:
  void Record(char kind, const QString& text);
  ScopedDialogs scope_;
};

// A private, empty user folder (LUMENDA_DIR) for the lifetime of the object.
class TestHome {
 public:
  TestHome();
  ~TestHome();
  // Ends in "/".
  QString Path() const { return dir_.path() + QStringLiteral("/"); }
  std::string AppDir() const { return Path().toStdString(); }

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
};

// The sample night (60 images, the star file and the truth file) written
// once per test program into a temporary folder.
QString SampleNightFolder();

// The child of `root` with that objectName and type; nullptr when none.
template <typename T>
T* Find(const QWidget* root, const char* name) {
  return root->findChild<T*>(QString::fromLatin1(name));
}

// Replaces a field's text as a user would: focus, select all, type.
void Retype(QLineEdit* field, const QString& text);

// Clicks the button of that name near its left edge (a box or a round button
// reacts on its mark and text); fails the test when there is none.
void Click(QWidget* root, const char* name);

// Runs `act` on the modal window named `objectName` as soon as it shows
// (polled every 10 ms; given up after `timeoutMs`). Set this up before the
// click that opens the window.
void WhenModalShows(const QString& objectName, std::function<void(QWidget*)> act,
                    int timeoutMs = 20000);

}  // namespace lumenda::ui::test
