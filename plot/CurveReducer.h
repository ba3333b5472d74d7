#pragma once

#include <QPoint>

#include <vector>

namespace zel {

// Builds a curve's vertex list from vertices given in order of non-decreasing x. When asked to
// reduce, every pixel column keeps only its first, lowest, highest and last vertex, in time
// order: a 1-pixel polyline through those covers the same pixels as one through all of them,
// because inside a column the full polyline is a vertical run from the lowest to the highest
// vertex and the segments between columns start and end at the kept first and last vertex.
class CurveReducer {
public:
    CurveReducer(std::vector<QPoint>& out, bool reduce);
    ~CurveReducer() { Finish(); }

    void Add(int x, int y) {
        if (!reduce) {
            out.emplace_back(x, y);
            return;
        }
        if (open && x == columnX) {
            ++index;
            if (y < lowY) {
                lowY = y;
                lowIndex = index;
            }
            if (y > highY) {
                highY = y;
                highIndex = index;
            }
            lastY = y;
            return;
        }
        Flush();
        open = true;
        columnX = x;
        firstY = lowY = highY = lastY = y;
        index = lowIndex = highIndex = 0;
    }

    // Emits the open column; further vertices start a new one.
    void Finish() { Flush(); }

    // Whether a curve of `vertices` vertices over `width` pixels is worth reducing.
    static bool ShouldReduce(long long vertices, int width) { return vertices > 2LL * width; }

private:
    void Flush();
    void Emit(int y);

    std::vector<QPoint>& out;
    bool reduce;
    bool open = false;
    int columnX = 0;
    int firstY = 0, lowY = 0, highY = 0, lastY = 0;
    int index = 0, lowIndex = 0, highIndex = 0;
    std::size_t columnStart = 0;
};

} // namespace zel
