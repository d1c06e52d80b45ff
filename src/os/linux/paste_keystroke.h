#pragma once

// The paste keystroke for whatever window has the keyboard focus, through XTest.
namespace PasteKeystroke {
// Control_L down, v down, v up, Control_L up; then 150 ms of processing events, in which
// the target asks this process for the clipboard.
void Send();
} // namespace PasteKeystroke
