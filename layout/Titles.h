#pragma once
// The top title and the foot line with the page number of every page.
struct PrintJob;

void DrawPreviewTitles(PrintJob& job);
void DrawPrintTitles(PrintJob& job);
