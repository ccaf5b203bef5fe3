#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QChartView;

// The reading tab's charts: bars by month and the weeks on a time axis, their values on whole-numbered axes; a chart
// with nothing to show says so in place of its axes.

// A chart view with its title and no legend, for FillBars or FillWeeks.
QChartView* BarChartView(const char* name, const QString& title);
// Replaces the chart's bars: one set, a bar per category; emptyText where every value is 0.
void FillBars(QChartView* view, const QStringList& categories, const QList<double>& values, const QString& unit,
              const QString& emptyText);
// The hours read in each week (its Monday in weeks), in whole hours, or in whole minutes where no week reaches two.
void FillWeeks(QChartView* view, const QList<QDate>& weeks, QList<double> hours);
