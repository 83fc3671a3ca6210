// Decoding a large data packet: a 100,000-row × 40-column table in its JSON
// wire form, decoded with Table::fromJson. Prints the size of the text, the
// median decode time, the memory the decoded table holds and the peak during
// decoding, and the number of heap allocations one decode makes.
//
//   bench_table_decode [rows] [runs]

#include <wire/table.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#if !defined(__SANITIZE_ADDRESS__)
// Counting allocations: the C allocator is wrapped (operator new and Qt's
// containers both end up in malloc). Left out under the sanitizers, which
// bring their own allocator.
#define KOLVAR_COUNT_ALLOCATIONS 1
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
}
static std::atomic<long long> g_allocations{0};
extern "C" void *malloc(size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
extern "C" void *calloc(size_t n, size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
extern "C" void *realloc(void *p, size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
extern "C" void free(void *p)
{
    __libc_free(p);
}
#endif

using namespace kolvar;

namespace {

long long allocations()
{
#ifdef KOLVAR_COUNT_ALLOCATIONS
    return g_allocations.load();
#else
    return -1;
#endif
}

// CPU time of this thread in ms: the machine may be busy with other work,
// which stretches wall-clock times but not this.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// VmRSS or VmHWM of this process in KiB.
long statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Restarts the peak (VmHWM) from the current resident size.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

Table makeTable(int rows)
{
    QList<ColumnDef> cols;
    for (int i = 0; i < 15; ++i)
        cols.append({QStringLiteral("METIN%1").arg(i), ColumnType::String, 60});
    for (int i = 0; i < 10; ++i)
        cols.append({QStringLiteral("SAYI%1").arg(i), ColumnType::Int32, 0});
    for (int i = 0; i < 2; ++i)
        cols.append({QStringLiteral("BUYUK%1").arg(i), ColumnType::Int64, 0});
    for (int i = 0; i < 8; ++i)
        cols.append({QStringLiteral("TUTAR%1").arg(i), ColumnType::Double, 0});
    for (int i = 0; i < 3; ++i)
        cols.append({QStringLiteral("TARIH%1").arg(i), ColumnType::Date, 0});
    cols.append({QStringLiteral("ZAMAN"), ColumnType::DateTime, 0});
    cols.append({QStringLiteral("VAR"), ColumnType::Bool, 0});

    const QString letters =
        QStringLiteral("ABCÇDEFGĞHIİJKLMNOÖPRSŞTUÜVYZ abcçdefgğhıijklmnoöprsştuüvyz0123456789-/");
    QRandomGenerator rng(20261211);
    Table t(cols);
    t.reserve(rows);
    QString s;
    for (int r = 0; r < rows; ++r) {
        t.appendRow();
        int c = 0;
        for (int i = 0; i < 15; ++i, ++c) {
            if (rng.bounded(50) == 0)
                continue; // a few nulls
            const int len = 5 + int(rng.bounded(36));
            s.resize(len);
            for (int k = 0; k < len; ++k)
                s[k] = letters[int(rng.bounded(letters.size()))];
            t.setString(r, c, s);
        }
        for (int i = 0; i < 10; ++i, ++c)
            t.setInteger(r, c, qint64(rng.bounded(2000000)) - 1000);
        for (int i = 0; i < 2; ++i, ++c)
            t.setInteger(r, c, qint64(rng.generate64() >> 2));
        for (int i = 0; i < 8; ++i, ++c)
            t.setReal(r, c, double(rng.bounded(10000000)) / 100.0);
        for (int i = 0; i < 3; ++i, ++c)
            t.setDate(r, c, QDate(2020, 1, 1).addDays(rng.bounded(2500)));
        t.setDateTime(r, c++,
                      QDateTime(QDate(2026, 1, 1).addDays(rng.bounded(300)),
                                QTime(rng.bounded(24), rng.bounded(60), rng.bounded(60))));
        t.setBoolean(r, c++, rng.bounded(2) == 1);
    }
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;

    QByteArray json;
    double encodeMs = 0, encodeCpu = 0;
    {
        const Table source = makeTable(rows);
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs();
        json = source.toJson();
        encodeCpu = cpuMs() - cpu0;
        encodeMs = timer.nsecsElapsed() / 1e6;
    }

    QList<double> times, cpuTimes;
    long long allocs = 0;
    long rssGrowth = 0, peakGrowth = 0;
    for (int run = 0; run < runs; ++run) {
        const long rssBefore = statusKiB("VmRSS");
        resetPeak();
        const long long allocsBefore = allocations();
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs();
        QString error;
        const auto table = Table::fromJson(json, &error);
        cpuTimes.append(cpuMs() - cpu0);
        times.append(timer.nsecsElapsed() / 1e6);
        if (!table || table->rowCount() != rows) {
            fprintf(stderr, "decode failed: %s\n", qPrintable(error));
            return 1;
        }
        if (run == 0) {
            allocs = allocations() - allocsBefore;
            rssGrowth = statusKiB("VmRSS") - rssBefore;
            peakGrowth = statusKiB("VmHWM") - rssBefore;
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double median = times[times.size() / 2];
    const double cpuMedian = cpuTimes[cpuTimes.size() / 2];

    // For comparison: the same text through QJsonDocument (no table built).
    QElapsedTimer timer;
    const long long docAllocsBefore = allocations();
    timer.start();
    const double docCpu0 = cpuMs();
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    const double docCpu = cpuMs() - docCpu0;
    const double docMs = timer.nsecsElapsed() / 1e6;
    const long long docAllocs = allocations() - docAllocsBefore;

    printf("rows %d, columns 40, JSON %lld bytes (%.1f MiB)\n", rows, qint64(json.size()),
           json.size() / 1048576.0);
    printf("encode: %.1f ms CPU (%.1f ms wall)\n", encodeCpu, encodeMs);
    printf("decode: median %.1f ms CPU (min %.1f, max %.1f) of %d runs, %.0f MiB/s; wall median %.1f ms\n",
           cpuMedian, cpuTimes.first(), cpuTimes.last(), runs, json.size() / 1048576.0 / (cpuMedian / 1000.0),
           median);
    printf("decoded table resident: +%.1f MiB; peak during decode: +%.1f MiB\n", rssGrowth / 1024.0,
           peakGrowth / 1024.0);
    printf("heap allocations in one decode: %lld (%.4f per cell)\n", allocs,
           double(allocs) / (double(rows) * 40));
    printf("QJsonDocument::fromJson of the same text: %.1f ms CPU (%.1f ms wall), %lld allocations%s\n",
           docCpu, docMs, docAllocs, doc.isNull() ? " (failed)" : "");
    return 0;
}
