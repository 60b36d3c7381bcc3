#include "KVD_Edit/app/KVDVDoc.h"

#include "orq_utils/MessageSink.h"

wxIMPLEMENT_DYNAMIC_CLASS(CKVDVDoc, wxDocument);

CKVDVDoc::CKVDVDoc() = default;

CKVDVDoc::~CKVDVDoc() = default;

bool CKVDVDoc::DoOpenDocument(const wxString &file) {
    ORQ::ShowMessage("Unable to open " + file.utf8_string() +
                         "\nThis build of the editor cannot read project files.",
                     ORQ::MB_OK | ORQ::MB_ICONWARNING);
    return false;
}

bool CKVDVDoc::DoSaveDocument(const wxString &file) {
    ORQ::ShowMessage("Unable to save " + file.utf8_string() +
                         "\nThis build of the editor cannot write project files.",
                     ORQ::MB_OK | ORQ::MB_ICONWARNING);
    return false;
}
