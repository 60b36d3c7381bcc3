#pragma once

#include <wx/docview.h>

// The document of one open grid project. This is the document class of the application's
// template; reading and writing project files belong to the project document's own code.
class CKVDVDoc : public wxDocument {
public:
    CKVDVDoc();
    ~CKVDVDoc() override;

protected:
    // Project files are read and written only by the project document's loader and saver, never
    // by the framework's generic stream serialisation.
    bool DoOpenDocument(const wxString &file) override;
    bool DoSaveDocument(const wxString &file) override;

private:
    wxDECLARE_DYNAMIC_CLASS(CKVDVDoc);
};
