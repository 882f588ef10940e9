// Message boxes and file choosers. Every window asks through Dialogs(), so a
// test can put a scripted stand-in in its place and nothing ever waits on a
// native dialog.
#pragma once

#include <QColor>
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace lumenda::ui {

// The caption of every message box.
inline const QString kMessageCaption = QStringLiteral("Lumenda");

// Qt's own texts (file choosers, colour picker, standard buttons) in Spanish,
// when Qt's translation is installed. Called once after the QApplication
// exists.
void InstallQtTranslation();

// Filters of the file choosers. FITS images are listed whatever the case of
// their extension.
QString FitsFilter();
// "Datos de proceso (*.txt)".
QString ResultsFilter();

struct FileChoice {
  QString caption;
  QString folder;    // where the chooser starts
  QString fileName;  // proposed name (save choosers)
  QString filter;    // Qt filter text, e.g. FitsFilter()
  QString defaultSuffix;
};

class DialogProvider {
 public:
  virtual ~DialogProvider() = default;
  // Message boxes captioned "Lumenda" with the error, warning and
  // information icons.
  virtual void Error(const QString& text) = 0;
  virtual void Warning(const QString& text) = 0;
  virtual void Info(const QString& text) = 0;
  // An OK/Cancel box; true for OK.
  virtual bool Confirm(const QString& text) = 0;

  // Empty when cancelled.
  virtual QStringList OpenFiles(const FileChoice& choice) = 0;
  virtual QString OpenFile(const FileChoice& choice) = 0;
  // Asks before overwriting an existing file.
  virtual QString SaveFile(const FileChoice& choice) = 0;
  // The colour picker with the custom colours of "color.ini" (as 0xRRGGBB);
  // the list is updated with the user's custom colours on return.
  virtual std::optional<QColor> ChooseColour(const QColor& initial,
                                             std::vector<unsigned>& customColours) = 0;
};

// The file chooser the real dialogs show (for `mode` ExistingFiles,
// ExistingFile or AnyFile; AnyFile saves).
std::unique_ptr<QFileDialog> MakeFileChooser(const FileChoice& choice, int mode);

// The provider in use: the real Qt dialogs unless a test replaced them.
DialogProvider& Dialogs();

// Puts `provider` in place of the real dialogs until destroyed (tests).
class ScopedDialogs {
 public:
  explicit ScopedDialogs(DialogProvider& provider);
  ~ScopedDialogs();
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

 private:
  DialogProvider* previous_;
};

}  // namespace lumenda::ui
