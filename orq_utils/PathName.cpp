#include "orq_utils/PathName.h"

namespace ORQ {

namespace {

// The position of the "." that begins the extension of leaf; npos when it has none.
size_t ExtensionDot(const std::string &leaf) {
    const size_t dot = leaf.find_last_of('.');
    return dot == 0 ? std::string::npos : dot;
}

} // namespace

std::string FolderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LeafOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string &folder, const std::string &leaf) {
    return folder == "/" ? "/" + leaf : folder + "/" + leaf;
}

std::string StemOf(const std::string &leaf) {
    const size_t dot = ExtensionDot(leaf);
    return dot == std::string::npos ? leaf : leaf.substr(0, dot);
}

std::string ExtensionOf(const std::string &leaf) {
    const size_t dot = ExtensionDot(leaf);
    return dot == std::string::npos ? std::string() : leaf.substr(dot + 1);
}

} // namespace ORQ
