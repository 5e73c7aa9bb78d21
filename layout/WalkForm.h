#pragma once
// The form walker: collects the host form's printable controls top to bottom
// and hands each to the renderer of its family.
struct PrintJob;

void WalkForm(PrintJob& job);
void AbortWalk(PrintJob& job);
