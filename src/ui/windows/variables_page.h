// The page "Variables?" of the light-curve window: the instrumental curves of
// many stars stacked in one chart, group by group, and the statistics and
// verdict of a clicked curve.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "platform/latest_work.h"
#include "session/session.h"
#include "widgets/chart_panel.h"

namespace lumenda::ui {

class VariablesPage : public QWidget {
  Q_OBJECT

 public:
  VariablesPage(Session& session, QWidget* parent = nullptr);

  // GraphInstrumental anew from the results, back to the first group. With
  // "Sólo posibles variables" ticked the variable search runs first, on a
  // worker; the page is drawn again when it ends.
  void RebuildTable();
  // A variable search is under way.
  bool Searching() const { return search_.Pending(); }
  // Draws the curves of the current group.
  void Fill();
  // Scrolls the horizontal axis by a thirtieth of its range (wheel).
  void Scroll(int direction);
  ChartPanel* Chart() const { return chart6_; }

 signals:
  void saveStarData(const QString& name);  // "Guarda datos " + name

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  void CurveClicked(int series);
  void ClearStatistics();

  Session& session_;
  QWidget* picture_;
  ChartPanel* chart6_;
  QCheckBox *cbGrupos_, *cbVariables_;
  QComboBox *cbCant_, *cbAltura_, *cbFiltroVari_;
  QRadioButton *rbRegular_, *rbFecha_;
  QPushButton *bGrupoMenos_, *bGrupoMas_, *bDeshacer_, *button10_;
  QLabel *label26_, *lbNombre_, *lbPromedio_, *lbDesv_, *lbAltura_, *lbRatio_, *lbVeredicto_;
  int groupStart_ = 0;
  int clicked_ = -1;                // series of the emphasised curve
  std::vector<std::string> names_;  // name of each drawn curve, by series
  std::vector<std::vector<double>> values_;
  LatestWork search_;
};

}  // namespace lumenda::ui
