// Choosing the span pipeline of the current fill (Context.h) for one outline.
#pragma once

// Selects the span pipeline for the current fill (errors 10, 15, 9, 12 as codes) and makes
// sure the row buffer holds the target width.
int SelectPipeline(bool smooth);
