#include "plot/CurveReducer.h"

namespace zel {

CurveReducer::CurveReducer(std::vector<QPoint>& out, bool reduce) : out(out), reduce(reduce) {}

void CurveReducer::Emit(int y) {
    // A repeated vertex adds no pixel; skip it inside the column.
    if (out.size() > columnStart && out.back().y() == y)
        return;
    out.emplace_back(columnX, y);
}

void CurveReducer::Flush() {
    if (!open)
        return;
    open = false;
    columnStart = out.size();
    Emit(firstY);
    if (lowIndex <= highIndex) {
        Emit(lowY);
        Emit(highY);
    } else {
        Emit(highY);
        Emit(lowY);
    }
    Emit(lastY);
}

} // namespace zel
