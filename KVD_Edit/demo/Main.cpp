// kvd_demo FOLDER: makes sure FOLDER holds the demo grid project and prints the project's path.
// A folder that holds it already is used as it is; otherwise the project is generated there.
// Exit status 0 when the project is there, 1 when it could not be made, 2 for a wrong call.

#include "KVD_Edit/app/document/ProjectLoader.h"
#include "KVD_Edit/demo/DemoProject.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The folder this program lies in, where the editor's template lies too.
std::string ProgramFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

bool HasProject(const std::string &folder) {
    std::error_code ec;
    return fs::is_regular_file(CDemoProject::ProjectPath(folder), ec);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
        std::cerr << "usage: kvd_demo FOLDER\n"
                     "Writes the demo grid project into FOLDER (unless it is there already) and "
                     "prints its path.\n";
        return 2;
    }
    const std::string folder = argv[1];
    if (HasProject(folder)) {
        std::cout << CDemoProject::ProjectPath(folder) << "\n";
        return 0;
    }
    std::string error;
    const std::string templatePath = ProgramFolder() + "/" + CProjectLoader::kTemplateName;
    if (!CDemoProject::Write(folder, templatePath, error) && !HasProject(folder)) {
        std::cerr << "kvd_demo: the demo project could not be made in " << folder << ": " << error
                  << "\n";
        return 1;
    }
    std::cout << CDemoProject::ProjectPath(folder) << "\n";
    return 0;
}
