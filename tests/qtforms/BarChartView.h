#pragma once
// A live chart for the tests: a view on `parent` of three red bars,
// without animation, 300 x 200 pixels at (20, 20).
#include <QWidget>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <memory>

namespace qtformstest {

inline QChartView* addRedBarChart(QWidget& parent) {
  auto chart = std::make_unique<QChart>();
  auto series = std::make_unique<QBarSeries>();
  auto set = std::make_unique<QBarSet>("Sales");
  *set << 3 << 5 << 4;
  set->setColor(Qt::red);
  set->setBorderColor(Qt::red);
  series->append(set.release());  // the series owns its sets
  chart->addSeries(series.release());
  chart->createDefaultAxes();
  chart->setAnimationOptions(QChart::NoAnimation);
  auto* view = new QChartView(chart.release(), &parent);  // the parent owns its view, the view its chart
  view->setGeometry(20, 20, 300, 200);
  return view;
}

}  // namespace qtformstest
