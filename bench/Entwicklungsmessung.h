#pragma once

// The two halves of the performance tab's benchmark, each printing its figures.
namespace qbbench {

// Computing and painting the value chart for 100 reference dates and for 500 trading days: all
// of it anew, and only the selection moving over the chart widget.
void messeDiagramm();
// Loading the whole-game daily history of five positions against a slow local server.
void messeVerlauf();

} // namespace qbbench
