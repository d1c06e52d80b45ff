#pragma once

#include <QString>
#include <QVector>

// Collects benchmark results and prints them as one table. Times are in milliseconds.
class BenchTable
{
public:
    // A series of timed runs: the median and, with enough runs, the 95th percentile.
    void addSamples(const QString &name, const QVector<double> &samples_ms,
                    const QString &note = QString());
    // A single figure (a ratio, a count) with no timing of its own.
    void addNote(const QString &name, const QString &note);
    void print() const;
    bool isEmpty() const { return m_rows.isEmpty(); }

    static double median(QVector<double> v);
    static double percentile(QVector<double> v, double p);

private:
    struct Row
    {
        QString name;
        int n = 0;
        double median = -1;
        double p95 = -1;
        double total = -1;
        QString note;
    };
    QVector<Row> m_rows;
};
