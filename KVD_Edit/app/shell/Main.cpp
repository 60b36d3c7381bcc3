// The program's entry point: the toolkit's main function over the application object.
#include "KVD_Edit/app/shell/KVDVApp.h"

wxIMPLEMENT_APP(CKVDVApp);
