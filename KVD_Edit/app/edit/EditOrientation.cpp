#include "KVD_Edit/app/edit/EditOrientation.h"

#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/controls/ShadeButtonST.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>

CEditOrientation::CEditOrientation(wxWindow *parent, Notify notify)
    : CEditDlg(parent, std::move(notify)) {
    KVD_LOG_CALL();
    CreateControls();
    Bind(wxEVT_BUTTON, &CEditOrientation::OnButton, this);
    m_busy = false;
}

void CEditOrientation::CreateControls() {
    // The interchange buttons: a blue metal cylinder face with an arrow and a tooltip.
    auto interchange = [this](int id, const char *label, const wxArtID &art, const char *tip) {
        auto *button = new CShadeButtonST(this, id, label);
        button->SetFaceIcons(wxArtProvider::GetBitmap(art, wxART_BUTTON));
        button->SetMinSize(wxSize(button->GetBestSize().x + FromDIP(12), FromDIP(49)));
        button->SetSize(button->GetMinSize());
        button->BuildShadedFaces(ShadeStyle::Cylinder, 8, 20, 5, wxColour(0x37, 0x37, 0xFF));
        button->SetTipText(tip, true);
        return button;
    };
    m_interchangeY = interchange(EditId::INTERCHANGE_Y, "Interchange Y", wxART_GO_UP,
                                 EditText::kInterchangeYTip);
    m_interchangeX = interchange(EditId::INTERCHANGE_X, "Interchange X", wxART_GO_FORWARD,
                                 EditText::kInterchangeXTip);
    m_reverse = new wxButton(this, EditId::REVERSE, EditText::kReverse);
    m_swap = new wxButton(this, EditId::SWAP_XY, EditText::kSwapXY);

    auto *middle = new wxBoxSizer(wxVERTICAL);
    middle->Add(m_reverse, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
    middle->Add(m_swap, 0, wxEXPAND);
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_interchangeY, 0, wxALIGN_CENTER_VERTICAL | wxALL, FromDIP(8));
    row->Add(middle, 0, wxALIGN_CENTER_VERTICAL | wxALL, FromDIP(8));
    row->Add(m_interchangeX, 0, wxALIGN_CENTER_VERTICAL | wxALL, FromDIP(8));
    auto *top = new wxBoxSizer(wxVERTICAL);
    top->AddStretchSpacer();
    top->Add(row, 0, wxALIGN_CENTER_HORIZONTAL);
    top->AddStretchSpacer();
    SetSizer(top);
}

wxWindow *CEditOrientation::GetButton(int id) const {
    switch (id) {
    case EditId::INTERCHANGE_Y:
        return m_interchangeY;
    case EditId::INTERCHANGE_X:
        return m_interchangeX;
    case EditId::REVERSE:
        return m_reverse;
    case EditId::SWAP_XY:
        return m_swap;
    default:
        return nullptr;
    }
}

void CEditOrientation::DisplayControls() {
    KVD_LOG_CALL();
    // A swap of X and Y changes the counts while a button of the page may have the keyboard.
    EnableKeepingTheKeyboard(m_interchangeY, m_data && m_data->yLineCount > 1);
    EnableKeepingTheKeyboard(m_interchangeX, m_data && m_data->xLineCount > 1);
}

void CEditOrientation::OnButton(wxCommandEvent &event) {
    KVD_LOG_CALL();
    if (!m_data) {
        event.Skip();
        return;
    }
    switch (event.GetId()) {
    case EditId::INTERCHANGE_Y:
        m_data->interchangeY = true;
        break;
    case EditId::INTERCHANGE_X:
        m_data->interchangeX = true;
        break;
    case EditId::REVERSE:
        m_data->reverseDirection = true;
        break;
    case EditId::SWAP_XY:
        m_data->swapXY = true;
        break;
    default:
        event.Skip();
        return;
    }
    Notice(NOTICE_APPLY);
}
