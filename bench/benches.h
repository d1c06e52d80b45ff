#pragma once

#include "item/cbdata.h"

class BenchTable;

// A mixed history item (text, rich text, files, colour, image) numbered i.
CBData MakeBenchItem(int i);

// Each returns false when a run went wrong (its rows say what); the table is still printed.
bool RunCaptureLatency(BenchTable &table);
bool RunImageCapture(BenchTable &table);
bool RunImageCaptureStall(BenchTable &table);
bool RunMisbehavingOwnerStall(BenchTable &table);
bool RunHistoryAndFilter(BenchTable &table);
bool RunMainWindow(BenchTable &table);
bool RunQuickPaste(BenchTable &table);
bool RunIdleCost(BenchTable &table);
bool RunLinkTransfer(BenchTable &table);
bool RunLinkMirrorLatency(BenchTable &table);
bool RunLinkSetup(BenchTable &table);
