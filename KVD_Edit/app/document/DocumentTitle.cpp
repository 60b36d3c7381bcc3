#include "KVD_Edit/app/document/DocumentTitle.h"

#include "orq_utils/Measure.h"

std::string BuildDocumentTitle(int unit, const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name;
    std::string folder;
    if (slash == std::string::npos) {
        name = path;
        folder = "/";
    } else {
        name = path.substr(slash + 1);
        folder = path.substr(0, slash + 1);
    }
    return "(" + ORQ::CMeasure::UnitToString(static_cast<ORQ::EUnitType>(unit)) + ") " + name +
           "  [" + folder + "]";
}
