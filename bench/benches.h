#pragma once

class BenchTable;

// Each returns false when a run went wrong (its rows say what); the table is still printed.
bool RunCaptureLatency(BenchTable &table);
bool RunImageCapture(BenchTable &table);
bool RunHistoryAndFilter(BenchTable &table);
