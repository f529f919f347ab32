#pragma once

#include <QString>
#include <QStringList>

// A program run to its end as a process of its own.
struct ChildRun {
    qint64 ms = 0;
    double peakMiB = 0;  // its maximum resident set; 0 where /usr/bin/time is missing
    int code = -1;       // its exit status, -1 when it did not exit by itself
};

// Runs `program` with standard input from `input` (when given) and standard output dropped;
// standard error goes to the file `errors` when one is named.
// Its peak memory is what /usr/bin/time reports: a process this one starts counts this one's
// memory in its own peak, one that the small time process starts does not.
ChildRun RunChild(const QString& program, const QStringList& arguments,
                  const QString& input = QString(), const QString& errors = QString());

// Runs `program` as RunChild does but without /usr/bin/time, so that a SIGKILL after
// `killAfterMs` reaches the program itself rather than the time process.
ChildRun RunChildKilledAfter(const QString& program, const QStringList& arguments,
                             qint64 killAfterMs, const QString& errors = QString());
