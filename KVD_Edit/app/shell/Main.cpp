// The program's entry point: the toolkit's main function over the application object.
#include "KVD_Edit/app/shell/KVDVApp.h"

#include <string>
#include <vector>

wxIMPLEMENT_WX_THEME_SUPPORT;
wxIMPLEMENT_APP_NO_MAIN(CKVDVApp);

int main(int argc, char **argv) {
    // A project path on the command line is opened by the bytes the file system names it by.
    CKVDVApp::KeepFileSystemArguments(std::vector<std::string>(argv + 1, argv + argc));
    return wxEntry(argc, argv);
}
