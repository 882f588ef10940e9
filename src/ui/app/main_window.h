// The main window (TForm1): the button column in the order of the work of a
// night, the progress labels of the run and, in developer mode, the working
// lists.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/app_context.h"
#include "app/desktop_windows.h"
#include "platform/background_job.h"
#include "text/progress.h"

namespace lumenda::ui {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // `windows` is filled by the Desktop as it creates the other windows.
  MainWindow(AppContext& context, const DesktopWindows& windows, QWidget* parent = nullptr);

  // Brings the window to the front (a second start of the program asked).
  void BringToFront();
  // Long work (listing images, the run, a recovery) is going on.
  bool Working() const { return job_.Running() || working_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void ImageList();         // "Lista de imágenes"
  void StarSelection();     // "Selección de estrellas"
  void Settings();          // "Configuración"
  void Process();           // "Proceso"
  void SaveData();          // "Guardar datos..."
  void RecoverData();       // "Recuperar datos..."
  void GraphsAndReports();  // "Gráficos / Informes"
  void PeriodAnalysis();    // "Análisis de periodo"
  int ImageCount() const;
  // Shows what the session holds: counts and, in developer mode, the lists.
  void ShowState();
  // While long work runs, the buttons that would change its input are off.
  void SetWorking(bool working);
  void ShowProgress();
  void SetLabel3(const QString& text);
  void FinishRun(Result<RunResult> outcome);

  AppContext& context_;
  const DesktopWindows& windows_;
  BackgroundJob job_;
  bool working_ = false;
  bool button1Working_ = false;  // the image list, not the run, is being built
  ProgressMailbox progress_;
  QTimer progressTimer_;
  QString saveFolder_;  // where "Guardar datos..." starts

  QPushButton* button1_;  // Lista de imágenes
  QPushButton* button2_;  // Selección de estrellas
  QPushButton* button3_;  // Configuración
  QPushButton* button4_;  // Proceso
  QPushButton* button7_;  // Guardar datos...
  QPushButton* button8_;  // Recuperar datos...
  QPushButton* button5_;  // Gráficos / Informes
  QPushButton* button9_;  // Análisis de periodo
  QCheckBox* checkBox1_;  // Primera serie
  QCheckBox* cbIndi_;     // Forzar selección individual
  QLabel* label1_;        // images listed
  QLabel* label2_;        // comparison / variable stars
  QLabel* label3_;        // results builder progress
  QLabel* label4_;        // run progress: image
  QLabel* label5_;        // run progress: star
  QWidget* lists_;        // the working lists, shown in developer mode
  QLineEdit* eFoto1_;
  QListWidget* listaFotos_;
  QListWidget* lbVar_;
  QListWidget* lbCali_;
  QListWidget* lbNomVar_;
  QListWidget* lbMag_;
};

}  // namespace lumenda::ui
