#include "bench_table.h"

#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
// Percentiles need enough runs to mean anything.
constexpr int kMinRunsForP95 = 20;

QString Ms(double v)
{
    if (v < 0)
        return QStringLiteral("-");
    return v >= 100 ? QString::number(v, 'f', 0) + " ms" : QString::number(v, 'f', 3) + " ms";
}
} // namespace

double BenchTable::median(QVector<double> v)
{
    return percentile(std::move(v), 50);
}

// Nearest-rank percentile.
double BenchTable::percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    const int rank = int(std::ceil(p / 100.0 * v.size()));
    return v.at(std::clamp(rank - 1, 0, v.size() - 1));
}

void BenchTable::addSamples(const QString &name, const QVector<double> &samples_ms,
                            const QString &note)
{
    Row r;
    r.name = name;
    r.n = samples_ms.size();
    r.median = median(samples_ms);
    if (r.n >= kMinRunsForP95)
        r.p95 = percentile(samples_ms, 95);
    r.total = std::accumulate(samples_ms.cbegin(), samples_ms.cend(), 0.0);
    r.note = note;
    m_rows.append(r);
}

void BenchTable::addNote(const QString &name, const QString &note)
{
    Row r;
    r.name = name;
    r.note = note;
    m_rows.append(r);
}

void BenchTable::print() const
{
    int w = 9;
    for (const Row &r : m_rows)
        w = std::max(w, int(r.name.size()));
    QTextStream out(stdout);
    out << QString("benchmark").leftJustified(w) << "  " << QString("n").rightJustified(4) << "  "
        << QString("median").rightJustified(11) << "  " << QString("p95").rightJustified(11) << "  "
        << QString("total").rightJustified(11) << "  note\n";
    out << QString(w + 48, QLatin1Char('-')) << "\n";
    for (const Row &r : m_rows) {
        out << r.name.leftJustified(w) << "  "
            << (r.n > 0 ? QString::number(r.n) : QStringLiteral("-")).rightJustified(4) << "  "
            << Ms(r.median).rightJustified(11) << "  " << Ms(r.p95).rightJustified(11) << "  "
            << Ms(r.total).rightJustified(11) << "  " << r.note << "\n";
    }
    out.flush();
}
