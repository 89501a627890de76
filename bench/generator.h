#pragma once

#include <QString>
#include <QtGlobal>

// How much the generator writes.
struct BenchSize {
    int projects = 10000;
    int tasks = 100000;
    int entries = 1000000;
};

inline constexpr quint64 DefaultBenchSeed = 20090305;

// Writes a new database file with the full schema and generated, realistic data: projects with
// their master data, tasks and time entries spread over the years 2016 to 2025, and the effort
// totals that belong to them. The same size and seed always give the same content. Rows go in
// through prepared statements in one transaction, so the full size takes seconds, not minutes.
// Throws DataError when the file exists or cannot be written.
void generateBenchDatabase(const QString& file, const BenchSize& size = {},
                           quint64 seed = DefaultBenchSeed);
