#pragma once

#include <QString>

#include <functional>

class BenchTable;
class CCilpboardListModel;

// Copies texts with clip_owner (another X client, which reports when its write returned)
// and times each until that text is row 0 of a list. Both stamps are CLOCK_MONOTONIC, one
// clock for the whole machine.
struct CopyTiming
{
    QString name;
    QString note;
    int warm_up = 3;
    int runs = 30;
    int step_timeout_ms = 5000;
};

bool TimeCopiesToTop(BenchTable &table, const CopyTiming &spec, CCilpboardListModel *model,
                     const std::function<QString(int)> &text_of_run);
