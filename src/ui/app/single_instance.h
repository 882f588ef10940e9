// One running copy per user: the first start listens on a local socket named
// "MiLumenda"; a later start connects to it, says so and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace lumenda::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QObject* parent = nullptr);

  // "MiLumenda" inside the user's runtime folder, so that copies run by
  // other users never meet.
  static QString ServerName();
  // True when a running copy answered on `name`: it has been asked to come
  // to the front and this copy should end at once.
  static bool SignalRunningCopy(const QString& name = ServerName());

  // Starts listening for later starts. A socket left behind by a copy that
  // died is taken over. False when the name cannot be used.
  bool Listen(const QString& name = ServerName());

 signals:
  // A later start asked this copy to come to the front.
  void activationRequested();

 private:
  QLocalServer server_;
};

}  // namespace lumenda::ui
