#pragma once

#include "KVD_Edit/GPSINFO/LWCDefinitionLogic.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/planview/PlanRenderer.h"

#include <memory>

class CKVDVView;
class wxDialog;

// The modeless dialog "Local-Global Coordinates Relationship" over CLWCDefinitionLogic. The
// document owns it while it is open (ILocalWorldDialog); the plan view hands it the points
// clicked while a "Select in View" pick is under way. Instead of minimising, the window hides
// while it waits for a pick (a window manager may be absent).
class CLWCDefinition : public ILocalWorldDialog {
public:
    CLWCDefinition(CKVDVDoc &doc, wxWindow *parent, const SLocalWorldDef &definition,
                   bool hasGPSData);
    ~CLWCDefinition() override;

    const SLocalWorldDef &GetWorkingDefinition() const override { return m_logic.Working(); }
    void SetUnit(int unit) override;
    void StorePreviewState() override;
    bool IsSelectingInView() const override { return m_logic.GetPickMode() != 0; }
    void ShowRestored() override;
    void DestroyDialog() override;

    // A left click of the plan view; false when no pick is under way.
    bool OnViewPointSelected(const CPlanRenderer &renderer, POINT devicePoint,
                             const SPlanPointInfo &point);

    CLWCDefinitionLogic &Logic() { return m_logic; }
    // The dialog's window (null once destroyed).
    wxDialog *GetWindow() const;

    // The document's factory in the program.
    static std::unique_ptr<ILocalWorldDialog> Create(CKVDVDoc &doc, wxWindow *parent,
                                                     SLocalWorldDef &definition, bool hasGPSData);

private:
    class CWindow;
    friend class CWindow;

    CKVDVView *PlanView() const;

    CKVDVDoc &m_doc;
    CLWCDefinitionLogic m_logic;
    CWindow *m_window = nullptr;
};
