#include "KVD_Edit/app/grid/GridSort.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T> int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int Bytes(const std::string &a, const std::string &b) {
    int c = std::strcmp(a.c_str(), b.c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A length of a row in metres, so that rows of different units sort together. A row without a
// known unit counts its value as metres.
double Metres(double value, ORQ::EUnitType unit) {
    double factor = 0;
    if (unit == ORQ::UNIT_M || !ORQ::CMeasure::GetConversionFactor(unit, ORQ::UNIT_M, factor))
        return value;
    return value * factor;
}

int Lengths(double a, const SGridInfo &ra, double b, const SGridInfo &rb) {
    return Order(Metres(a, ra.unit), Metres(b, rb.unit));
}

} // namespace

int CGridSort::NextKey(int currentKey, int column) {
    int key = column + 1;
    return key == currentKey ? -key : key;
}

int CGridSort::CompareFields(const SGridInfo &a, const SGridInfo &b, int key) {
    bool descending = key < 0;
    if (descending)
        key = -key;
    int result = 0;
    switch (key) {
    case 1:
        result = Bytes(a.gridName, b.gridName);
        break;
    case 2:
        result = Bytes(a.lineName, b.lineName);
        break;
    case 3:
        result = Order(a.orientation, b.orientation);
        break;
    case 4:
        result = Lengths(a.xMin, a, b.xMin, b);
        break;
    case 5:
        result = Lengths(a.xMax, a, b.xMax, b);
        break;
    case 6:
        result = Lengths(a.yMin, a, b.yMin, b);
        break;
    case 7:
        result = Lengths(a.yMax, a, b.yMax, b);
        break;
    case 8:
        result = Lengths(a.length, a, b.length, b);
        break;
    case 9:
        result = Lengths(a.step, a, b.step, b);
        break;
    case 10:
        result =
            Order(static_cast<unsigned char>(a.editFlag), static_cast<unsigned char>(b.editFlag));
        break;
    case 11:
        result = Bytes(a.dataFileName, b.dataFileName);
        break;
    case 17:
        result = Bytes(a.gpsFileName, b.gpsFileName);
        break;
    case 18:
        result = Bytes(a.topoFileName, b.topoFileName);
        break;
    default:
        result = 0;
        break;
    }
    return descending ? -result : result;
}

void CGridSort::Sort(std::vector<const SGridInfo *> &rows, int key) {
    std::stable_sort(rows.begin(), rows.end(), [key](const SGridInfo *a, const SGridInfo *b) {
        return CompareFields(*a, *b, key) < 0;
    });
}
